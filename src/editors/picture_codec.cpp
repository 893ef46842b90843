#include "editors/picture_codec.h"

#include "base/language_table.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace qv {

namespace {

constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kBlack = 0xFF000000u;
constexpr uint16_t kLiteralSwapModel = 4;
constexpr uint8_t kRunLimit = 0x50;

QString colorsMessage() { return langText(Text::ColourCountRefused); }

uint8_t reverseBits(uint8_t b) {
    b = uint8_t((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = uint8_t((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return uint8_t((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

QRgb grey(int level) { return qRgb(level, level, level); }

// Plain shifts, without copying high bits down: 0xFFFF gives (248,252,248).
QRgb fromRgb565(uint16_t v) { return qRgb((v >> 11) * 8, ((v >> 5) & 0x3F) * 4, (v & 0x1F) * 8); }

QRgb fromRgb332(uint8_t v) {
    const int r = v >> 5, g = (v >> 2) & 7, b = v & 3;
    return qRgb(r * 32 + (r & 1 ? 31 : 0), g * 32 + (g & 1 ? 31 : 0), b * 64 + (b & 1 ? 63 : 0));
}

// Only 1-bit pages, 2-bit pages and 1-bit column words have a column layout.
uint8_t effectiveVariant(const PictureShape& s) {
    if (s.variant == kVariantColumnPages && (s.format == kFormatMono1 || s.format == kFormatGrey2))
        return kVariantColumnPages;
    if (s.variant == kVariantColumnWords && s.format == kFormatMono1) return kVariantColumnWords;
    return kVariantRows;
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

// The encoder writes into a fixed-size block; bytes past its end are dropped.
class Block {
public:
    explicit Block(int size) : bytes_(std::max(size, 0), '\0') {}
    bool full(qint64 i) const { return i >= bytes_.size(); }
    void set(qint64 i, unsigned v) {
        if (!full(i)) bytes_[qsizetype(i)] = char(uint8_t(v));
    }
    void orIn(qint64 i, unsigned v) {
        if (!full(i)) bytes_[qsizetype(i)] = char(uint8_t(bytes_[qsizetype(i)]) | uint8_t(v));
    }
    QByteArray take() { return std::move(bytes_); }

private:
    QByteArray bytes_;
};

// Reads the bitmap within the picture's own bounds; everything past them is white.
class Source {
public:
    Source(const PictureShape& s, const Bitmap& b) : w(std::max(s.width, 0)), h(std::max(s.height, 0)), bmp_(b) {}
    QRgb at(int x, int y) const { return x < w && y < h ? bmp_.pixel(x, y) : kWhite; }
    const int w, h;

private:
    const Bitmap& bmp_;
};

bool isBlack(QRgb c) { return qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) == 0; }

// Only the four greys of the standard 16-colour palette have defined bands (0-64, 104-160,
// 168-208, 216-255). A red between bands goes to the nearer one; the exact midpoints 84, 164
// and 212 go to the lighter grey.
int quantiseGrey(QRgb c) {
    const int r = qRed(c);
    if (r < 84) return 3;
    if (r < 164) return 2;
    if (r < 212) return 1;
    return 0;
}

// Always column pages of 8 rows, whatever the picture's format.
void encodeMonoPages(const Source& src, bool reversed, Block& out) {
    qint64 i = 0;
    for (int top = 0; top < src.h; top += 8) {
        for (int x = 0; x < src.w; ++x, ++i) {
            if (out.full(i)) return;
            unsigned b = 0;
            for (int k = 0; k < 8; ++k)
                if (isBlack(src.at(x, top + k))) b |= reversed ? 0x80u >> k : 1u << k;
            out.set(i, b);
        }
    }
}

// 2-bit grey is written in the plain bit order on every model.
void encodeGreyRows(const Source& src, Block& out) {
    const qint64 rowBytes = (qint64(src.w) + 3) / 4;
    for (int y = 0; y < src.h; ++y) {
        for (qint64 j = 0; j < rowBytes; ++j) {
            const qint64 i = y * rowBytes + j;
            if (out.full(i)) return;
            unsigned b = 0;
            for (int k = 0; k < 4; ++k) b |= unsigned(quantiseGrey(src.at(int(4 * j + k), y))) << (6 - 2 * k);
            out.set(i, b);
        }
    }
}

void encodeGreyPages(const Source& src, Block& out) {
    qint64 i = 0;
    for (int top = 0; top < src.h; top += 4) {
        for (int x = 0; x < src.w; ++x, ++i) {
            if (out.full(i)) return;
            unsigned b = 0;
            for (int k = 0; k < 4; ++k) b |= unsigned(quantiseGrey(src.at(x, top + k))) << (2 * k);
            out.set(i, b);
        }
    }
}

// A 5-bit inverted level of the red component, whatever the picture's format.
void encodeInvertedLevels(const Source& src, Block& out) {
    qint64 i = 0;
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x, ++i) {
            if (out.full(i)) return;
            out.set(i, 31 - qRed(src.at(x, y)) / 8);
        }
}

// Two 12-bit pixels in three bytes; the pairing runs over the whole picture, not per row.
void encodeTwelveBit(const Source& src, bool reversed, Block& out) {
    qint64 i = 0;
    bool second = false;
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            if (out.full(i)) return;
            const QRgb c = src.at(x, y);
            unsigned v = unsigned(qRed(c) / 16 * 256 + qGreen(c) / 16 * 16 + qBlue(c) / 16);
            if (reversed) v = (v & 0xFF) << 8 | v >> 8;
            if (!second) {
                out.set(i, v >> 4);
                out.set(i + 1, (v & 0xF) << 4);
                i += 1;
            } else {
                out.orIn(i, (v >> 8) & 0xF);
                out.set(i + 1, v);
                i += 2;
            }
            second = !second;
        }
}

void encodeTrueColour(const Source& src, uint8_t format, bool reversed, Block& out) {
    if (format == kFormatRunLength565) return encodeTwelveBit(src, reversed, out);
    if (format != kFormatRgb332 && format != kFormatRgb565) return;   // nothing defined: zeros
    const int step = format == kFormatRgb332 ? 1 : 2;
    qint64 i = 0;
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x, i += step) {
            if (out.full(i)) return;
            const QRgb c = src.at(x, y);
            if (format == kFormatRgb332) {
                out.set(i, qRed(c) / 32 * 32 + qGreen(c) / 32 * 4 + qBlue(c) / 64);
                continue;
            }
            const unsigned v = unsigned(qRed(c) / 8 * 2048 + qGreen(c) / 4 * 32 + qBlue(c) / 8);
            out.set(i, reversed ? v : v >> 8);
            out.set(i + 1, reversed ? v >> 8 : v);
        }
}

}  // namespace

bool isReversedOrderModel(uint16_t phoneType) { return phoneType == 4 || phoneType == 6 || phoneType == 8; }

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

EncodeResult encodePicture(const PictureShape& shape, const Bitmap& bitmap, int size) {
    const Source src(shape, bitmap);
    const bool reversed = isReversedOrderModel(shape.phoneType);
    Block out(size);
    switch (bitmap.bitsPerPixel) {
    case 1: encodeMonoPages(src, reversed, out); break;
    case 4:
        if (shape.format != kFormatGrey2) return {EncodeResult::NothingWritten, {}, {}};
        // Variant 2 has no 2-bit layout; like the decoder, it is taken as row order.
        if (shape.variant == kVariantColumnPages)
            encodeGreyPages(src, out);
        else
            encodeGreyRows(src, out);
        break;
    case 8: encodeInvertedLevels(src, out); break;
    case 24: encodeTrueColour(src, shape.format, reversed, out); break;
    default: return {EncodeResult::Refused, {}, colorsMessage()};
    }
    return {EncodeResult::Encoded, out.take(), {}};
}

QImage cropToWidth(const QImage& image, int width) {
    if (width <= 0 || image.isNull()) return {};
    if (width >= image.width()) return image;
    return image.copy(0, 0, width, image.height());
}

}  // namespace qv
