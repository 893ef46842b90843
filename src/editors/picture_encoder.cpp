#include "editors/picture_encoder.h"

#include <algorithm>

namespace qv {

namespace {

// A count byte of 0 stands for 256; 1 .. kRunLimit - 1 for themselves.
constexpr int kLongRun = 256;
constexpr int kLongestShortRun = kRunLimit - 1;

int greyLevel(QRgb c) { return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114 + 500) / 1000; }

bool isBlack(QRgb c) { return qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) == 0; }

uint32_t greyBand(int level) {
    if (level < 84) return 3;
    if (level < 164) return 2;
    if (level < 212) return 1;
    return 0;
}

// The values of the picture's pixels, by position; everything past the bitmap is white.
class Values {
public:
    Values(const PictureShape& s, const Bitmap& b) : width(decodedWidth(s)), height(s.height), format_(s.format), bitmap_(b) {}
    uint32_t at(int x, int y) const { return pixelValue(format_, bitmap_.bitsPerPixel, bitmap_.pixel(x, y)); }
    const int width, height;

private:
    const uint8_t format_;
    const Bitmap& bitmap_;
};

// Most significant bits first; the bit position runs on across row ends, as the decoder reads.
QByteArray packedRows(const Values& v, int bits) {
    QByteArray out((qint64(v.width) * v.height * bits + 7) / 8, '\0');
    qint64 bit = 0;
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x, bit += bits)
            out[bit / 8] = char(uint8_t(uint8_t(out[bit / 8]) | v.at(x, y) << (8 - bits - int(bit % 8))));
    return out;
}

// Bands of 8 (1-bit) or 4 (2-bit) rows, one byte per column, the band's top row lowest.
QByteArray columnPages(const Values& v, int bits) {
    const int band = 8 / bits;
    QByteArray out;
    out.reserve(qsizetype(v.width) * ((v.height + band - 1) / band));
    for (int top = 0; top < v.height; top += band)
        for (int x = 0; x < v.width; ++x) {
            uint32_t b = 0;
            for (int k = 0; k < band && top + k < v.height; ++k) b |= v.at(x, top + k) << (bits * k);
            out += char(uint8_t(b));
        }
    return out;
}

QByteArray columnWords(const Values& v) {
    QByteArray out;
    for (int top = 0; top < v.height; top += 16)
        for (int x = 0; x < v.width; ++x) {
            uint32_t w = 0;
            for (int k = 0; k < 16 && top + k < v.height; ++k) w |= v.at(x, top + k) << k;
            out += char(uint8_t(w));
            out += char(uint8_t(w >> 8));
        }
    return out;
}

// Formats 3 to 6, one whole pixel after the other.
QByteArray wholePixels(const Values& v, uint8_t format, bool lowByteFirst) {
    static constexpr int kBytes[] = {0, 0, 0, 1, 2, 3, 4};
    QByteArray out;
    out.reserve(qsizetype(v.width) * v.height * kBytes[format]);
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x) {
            const uint32_t p = v.at(x, y);
            if (format == kFormatRgb332) {
                out += char(uint8_t(p));
            } else if (format == kFormatRgb565) {
                out += char(uint8_t(lowByteFirst ? p : p >> 8));
                out += char(uint8_t(lowByteFirst ? p >> 8 : p));
            } else {
                out += char(uint8_t(p));
                out += char(uint8_t(p >> 8));
                out += char(uint8_t(p >> 16));
                if (format == kFormatBgrx32) out += '\0';
            }
        }
    return out;
}

// Runs of up to 256 pixels (a count byte of 1 to 0x4F, or 0 for 256) with the value low byte
// first; a single pixel as a two-byte literal where its first byte can start one.
QByteArray runLength(const Values& v, bool literalSwap) {
    QByteArray out;
    auto addRun = [&out](int count, uint32_t value) {
        out += char(uint8_t(count));  // 256 wraps to 0
        out += char(uint8_t(value));
        out += char(uint8_t(value >> 8));
    };
    auto literal = [&out, literalSwap](uint32_t value) {
        const auto first = uint8_t(literalSwap ? value : value >> 8), second = uint8_t(literalSwap ? value >> 8 : value);
        if (first < kRunLimit) return false;
        out += char(first);
        out += char(second);
        return true;
    };
    const qint64 pixels = qint64(v.width) * v.height;
    auto at = [&v](qint64 i) { return v.at(int(i % v.width), int(i / v.width)); };
    for (qint64 i = 0; i < pixels;) {
        const uint32_t value = at(i);
        qint64 same = 1;
        while (i + same < pixels && at(i + same) == value) ++same;
        i += same;
        for (; same >= kLongRun; same -= kLongRun) addRun(kLongRun, value);
        while (same > 0) {
            const int n = int(std::min<qint64>(same, kLongestShortRun));
            if (n > 1 || !literal(value)) addRun(n, value);
            same -= n;
        }
    }
    return out;
}

}  // namespace

uint32_t pixelValue(uint8_t format, int sourceBits, QRgb c) {
    switch (format) {
    case kFormatMono1: return (sourceBits == 1 ? isBlack(c) : greyLevel(c) < 128) ? 1 : 0;
    case kFormatGrey2: return greyBand(sourceBits == 4 ? qRed(c) : greyLevel(c));
    case kFormatGrey4: return uint32_t(std::min(15, (255 - greyLevel(c) + 8) / 16));
    case kFormatRgb332: return uint32_t(qRed(c) >> 5 << 5 | qGreen(c) >> 5 << 2 | qBlue(c) >> 6);
    case kFormatRgb565:
    case kFormatRunLength565: return uint32_t(qRed(c) >> 3 << 11 | qGreen(c) >> 2 << 5 | qBlue(c) >> 3);
    default: return c & 0xFFFFFF;
    }
}

QByteArray encodePicture(const PictureShape& shape, const Bitmap& bitmap) {
    if (shape.format > kFormatRunLength565 || shape.width <= 0 || shape.height <= 0) return {};
    const Values v(shape, bitmap);
    const bool reversed = isReversedOrderModel(shape.phoneType);
    QByteArray out;
    switch (shape.format) {
    case kFormatMono1:
    case kFormatGrey2: {
        const int bits = shape.format == kFormatMono1 ? 1 : 2;
        const uint8_t layout = effectiveVariant(shape);
        // Column words are read the same on every model.
        if (layout == kVariantColumnWords) return columnWords(v);
        out = layout == kVariantColumnPages ? columnPages(v, bits) : packedRows(v, bits);
        if (reversed)
            for (char& b : out) b = char(reverseBits(uint8_t(b)));
        return out;
    }
    case kFormatGrey4: return packedRows(v, 4);  // no model order
    case kFormatRunLength565: return runLength(v, shape.phoneType == kLiteralSwapModel);
    default: return wholePixels(v, shape.format, reversed);
    }
}

}  // namespace qv
