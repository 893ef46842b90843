#include "editors/picture_codec.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace qv {

namespace {

constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kBlack = 0xFF000000u;

QRgb grey(int level) { return qRgb(level, level, level); }

// Plain shifts, without copying high bits down: 0xFFFF gives (248,252,248).
QRgb fromRgb565(uint16_t v) { return qRgb((v >> 11) * 8, ((v >> 5) & 0x3F) * 4, (v & 0x1F) * 8); }

QRgb fromRgb332(uint8_t v) {
    const int r = v >> 5, g = (v >> 2) & 7, b = v & 3;
    return qRgb(r * 32 + (r & 1 ? 31 : 0), g * 32 + (g & 1 ? 31 : 0), b * 64 + (b & 1 ? 63 : 0));
}

// The stream of a row-order picture, one pixel per call, until the bytes run out.
class RowPixels {
public:
    RowPixels(const PictureShape& s, QByteArrayView bytes)
        : p_(reinterpret_cast<const uint8_t*>(bytes.data())), n_(bytes.size()), format_(s.format),
          reversed_(isReversedOrderModel(s.phoneType)), literalSwap_(s.phoneType == kLiteralSwapModel) {}

    std::optional<QRgb> next() {
        switch (format_) {
        case kFormatMono1: return packed(1);
        case kFormatGrey2: return packed(2);
        case kFormatGrey4: return packed(4);
        case kFormatRgb332:
            if (!have(1)) return std::nullopt;
            return fromRgb332(p_[pos_++]);
        case kFormatRgb565: {
            if (!have(2)) return std::nullopt;
            const uint8_t a = p_[pos_], b = p_[pos_ + 1];
            pos_ += 2;
            return fromRgb565(reversed_ ? uint16_t(a | b << 8) : uint16_t(a << 8 | b));
        }
        case kFormatBgr24:
            if (!have(3)) return std::nullopt;
            pos_ += 3;
            return qRgb(p_[pos_ - 1], p_[pos_ - 2], p_[pos_ - 3]);
        case kFormatBgrx32:
            if (!have(4)) return std::nullopt;
            pos_ += 4;
            return qRgb(p_[pos_ - 2], p_[pos_ - 3], p_[pos_ - 4]);
        case kFormatRunLength565: return runLength();
        default: return std::nullopt;   // no such format: the picture stays white
        }
    }

private:
    bool have(qsizetype count) const { return n_ - pos_ >= count; }

    // The bit position runs on across row ends.
    std::optional<QRgb> packed(int bits) {
        const qint64 index = bitPos_ / 8;
        if (index >= n_) return std::nullopt;
        uint8_t b = p_[index];
        if (reversed_ && format_ != kFormatGrey4) b = reverseBits(b);
        const int value = (b >> (8 - bits - int(bitPos_ % 8))) & ((1 << bits) - 1);
        bitPos_ += bits;
        if (format_ == kFormatMono1) return value ? kBlack : kWhite;
        if (format_ == kFormatGrey2) return grey(255 - 85 * value);
        return grey(255 - 16 * value);
    }

    // The counter is 8 bits wide, so a count byte of 0 repeats its colour 256 times.
    std::optional<QRgb> runLength() {
        --counter_;
        if (counter_ != 0) return last_;
        if (!have(1)) return std::nullopt;
        const uint8_t c = p_[pos_];
        if (c < kRunLimit) {
            if (!have(3)) return std::nullopt;
            counter_ = c;
            last_ = fromRgb565(uint16_t(p_[pos_ + 1] | p_[pos_ + 2] << 8));
            pos_ += 3;
        } else {
            if (!have(2)) return std::nullopt;
            counter_ = 1;
            const uint8_t d = p_[pos_ + 1];
            last_ = fromRgb565(literalSwap_ ? uint16_t(d << 8 | c) : uint16_t(c << 8 | d));
            pos_ += 2;
        }
        return last_;
    }

    const uint8_t* p_;
    qsizetype n_;
    uint8_t format_;
    bool reversed_;
    bool literalSwap_;
    qsizetype pos_ = 0;
    qint64 bitPos_ = 0;
    uint8_t counter_ = 1;
    QRgb last_ = kWhite;
};

void setPixel(QImage& img, int x, int y, QRgb c) { reinterpret_cast<QRgb*>(img.scanLine(y))[x] = c; }

void decodeRows(const PictureShape& s, QByteArrayView bytes, QImage& img) {
    RowPixels source(s, bytes);
    const int w = img.width(), h = img.height();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const auto c = source.next();
            if (!c) return;
            setPixel(img, x, y, *c);
        }
    }
}

// Bands of 8 (1-bit) or 4 (2-bit) rows; in a plain byte the lowest bits hold the band's top row.
void decodeColumnPages(const PictureShape& s, QByteArrayView bytes, QImage& img) {
    const bool mono = s.format == kFormatMono1;
    const int band = mono ? 8 : 4;
    const bool reversed = isReversedOrderModel(s.phoneType);
    const int w = img.width(), h = img.height();
    qsizetype pos = 0;
    for (int top = 0; top < h; top += band) {
        for (int x = 0; x < w; ++x) {
            if (pos >= bytes.size()) return;
            uint8_t b = uint8_t(bytes[pos++]);
            if (reversed) b = reverseBits(b);
            for (int k = 0; k < band && top + k < h; ++k) {
                if (mono)
                    setPixel(img, x, top + k, (b >> k) & 1 ? kBlack : kWhite);
                else
                    setPixel(img, x, top + k, grey(255 - 85 * ((b >> (2 * k)) & 3)));
            }
        }
    }
}

// Bands of 16 rows, one little-endian word per column, bit k for row k of the band, every model.
void decodeColumnWords(QByteArrayView bytes, QImage& img) {
    const int w = img.width(), h = img.height();
    qsizetype pos = 0;
    for (int top = 0; top < h; top += 16) {
        for (int x = 0; x < w; ++x) {
            if (bytes.size() - pos < 2) return;
            const unsigned word = uint8_t(bytes[pos]) | uint8_t(bytes[pos + 1]) << 8;
            pos += 2;
            for (int k = 0; k < 16 && top + k < h; ++k) setPixel(img, x, top + k, (word >> k) & 1 ? kBlack : kWhite);
        }
    }
}

}  // namespace

bool isReversedOrderModel(uint16_t phoneType) { return phoneType == 4 || phoneType == 6 || phoneType == 8; }

uint8_t reverseBits(uint8_t b) {
    b = uint8_t((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = uint8_t((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return uint8_t((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

uint8_t effectiveVariant(const PictureShape& s) {
    if (s.variant == kVariantColumnPages && (s.format == kFormatMono1 || s.format == kFormatGrey2))
        return kVariantColumnPages;
    if (s.variant == kVariantColumnWords && s.format == kFormatMono1) return kVariantColumnWords;
    return kVariantRows;
}

int decodedWidth(const PictureShape& shape) {
    if (shape.width <= 0) return 0;
    if (shape.format == kFormatGrey2 && effectiveVariant(shape) == kVariantRows)
        return int(std::min<qint64>((qint64(shape.width) + 3) / 4 * 4, INT_MAX - 3));
    return shape.width;
}

QImage decodePicture(const PictureShape& shape, QByteArrayView bytes) {
    const int w = decodedWidth(shape), h = shape.height;
    if (w <= 0 || h <= 0 || qint64(w) * h > kMaxPicturePixels) return {};
    QImage img(w, h, QImage::Format_RGB32);
    if (img.isNull()) return {};
    img.fill(kWhite);
    switch (effectiveVariant(shape)) {
    case kVariantColumnPages: decodeColumnPages(shape, bytes, img); break;
    case kVariantColumnWords: decodeColumnWords(bytes, img); break;
    default: decodeRows(shape, bytes, img); break;
    }
    return img;
}

QImage cropToWidth(const QImage& image, int width) {
    if (width <= 0 || image.isNull()) return {};
    if (width >= image.width()) return image;
    return image.copy(0, 0, width, image.height());
}

}  // namespace qv
