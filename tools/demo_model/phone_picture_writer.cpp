#include "demo_model/phone_picture_writer.h"

#include <algorithm>
#include <vector>

namespace qv::demo {
namespace {

uint8_t reverseBits(uint8_t b) {
    b = uint8_t((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = uint8_t((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return uint8_t((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

void reverseAllBits(QByteArray& bytes) {
    for (char& c : bytes) c = char(reverseBits(uint8_t(c)));
}

// Packs values of `bits` width most significant first, running on across row ends.
class BitPacker {
public:
    explicit BitPacker(int bits) : bits_(bits) {}
    void put(unsigned value) {
        if (used_ == 0) out_.append('\0');
        used_ += bits_;
        out_[out_.size() - 1] = char(uint8_t(out_.back()) | uint8_t(value << (8 - used_)));
        if (used_ == 8) used_ = 0;
    }
    QByteArray take() { return out_; }

private:
    int bits_;
    int used_ = 0;
    QByteArray out_;
};

// Raster access where rows and columns past the picture read as white, as the pad pixels of
// bands and rounded rows must be.
class Raster {
public:
    explicit Raster(const QImage& image) : img_(image.convertToFormat(QImage::Format_RGB32)) {}
    int width() const { return img_.width(); }
    int height() const { return img_.height(); }
    QRgb at(int x, int y) const {
        if (x < 0 || y < 0 || x >= img_.width() || y >= img_.height()) return qRgb(255, 255, 255);
        return img_.pixel(x, y);
    }

private:
    QImage img_;
};

bool mono(QRgb c) { return greyLevel(c) >= 128; }
unsigned grey2(QRgb c) { return unsigned(std::min(3, (greyLevel(c) + 42) / 85)); }
unsigned grey4(QRgb c) { return unsigned(std::min(15, (greyLevel(c) + 8) / 16)); }

QByteArray rowOrderPacked(const Raster& r, int bits, int rowWidth, unsigned (*value)(QRgb)) {
    BitPacker packer(bits);
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < rowWidth; ++x) packer.put(value(r.at(x, y)));
    return packer.take();
}

unsigned monoBit(QRgb c) { return mono(c) ? 1u : 0u; }

QByteArray monoColumnPages(const Raster& r) {
    QByteArray out;
    for (int top = 0; top < r.height(); top += 8)
        for (int x = 0; x < r.width(); ++x) {
            uint8_t b = 0;
            for (int k = 0; k < 8; ++k)
                if (mono(r.at(x, top + k))) b |= uint8_t(1u << k);  // bit k is row top + k
            out.append(char(b));
        }
    return out;
}

QByteArray monoColumnWords(const Raster& r) {
    QByteArray out;
    for (int top = 0; top < r.height(); top += 16)
        for (int x = 0; x < r.width(); ++x) {
            uint16_t w = 0;
            for (int k = 0; k < 16; ++k)
                if (mono(r.at(x, top + k))) w |= uint16_t(1u << k);
            out.append(char(w & 0xFF));
            out.append(char(w >> 8));
        }
    return out;
}

QByteArray greyColumnPages(const Raster& r) {
    QByteArray out;
    for (int top = 0; top < r.height(); top += 4)
        for (int x = 0; x < r.width(); ++x) {
            unsigned b = 0;
            for (int k = 0; k < 4; ++k) b |= grey2(r.at(x, top + k)) << (2 * k);  // bottom row highest
            out.append(char(b));
        }
    return out;
}

template <typename PixelFn>
QByteArray perPixel(const Raster& r, PixelFn fn) {
    QByteArray out;
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x) fn(out, r.at(x, y));
    return out;
}

// Run-length form: a count byte below 0x50 with a low-byte-first value, or a two-byte literal
// whose first byte (0x50 or more) is the value's high byte (low byte on model 4).
QByteArray runLength(const Raster& r, uint16_t phoneType) {
    std::vector<uint16_t> pixels;
    pixels.reserve(size_t(r.width() * r.height()));
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x) pixels.push_back(toRgb565(r.at(x, y)));

    const bool lowFirstLiteral = phoneType == 4;
    QByteArray out;
    auto run = [&](int count, uint16_t v) {  // count 256 is stored as 0
        out.append(char(count & 0xFF));
        out.append(char(v & 0xFF));
        out.append(char(v >> 8));
    };
    auto literal = [&](uint16_t v) -> bool {
        const uint8_t first = lowFirstLiteral ? uint8_t(v & 0xFF) : uint8_t(v >> 8);
        const uint8_t second = lowFirstLiteral ? uint8_t(v >> 8) : uint8_t(v & 0xFF);
        if (first < 0x50) return false;
        out.append(char(first));
        out.append(char(second));
        return true;
    };
    for (size_t i = 0; i < pixels.size();) {
        size_t j = i;
        while (j < pixels.size() && pixels[j] == pixels[i]) ++j;
        int left = int(j - i);
        const uint16_t v = pixels[i];
        for (; left >= 256; left -= 256) run(256, v);
        while (left > 0) {
            const int n = std::min(left, 0x4F);
            if (n > 1 || !literal(v)) run(n, v);
            left -= n;
        }
        i = j;
    }
    return out;
}

}  // namespace

bool isDefinedLayout(int format, int variant) {
    if (format == 0) return variant >= 0 && variant <= 2;
    if (format == 1) return variant == 0 || variant == 1;
    return format >= 2 && format <= 7 && variant == 0;
}

bool reversesPictureOrder(uint16_t phoneType) { return phoneType == 4 || phoneType == 6 || phoneType == 8; }

int fixedPictureSize(int width, int height, int format, int variant) {
    if (!isDefinedLayout(format, variant) || width <= 0 || height <= 0) return -1;
    const int pixels = width * height;
    switch (format) {
    case 0:
        if (variant == 0) return (pixels + 7) / 8;
        if (variant == 1) return width * ((height + 7) / 8);
        return 2 * width * ((height + 15) / 16);
    case 1:
        if (variant == 0) return ((width + 3) / 4) * height;
        return width * ((height + 3) / 4);
    case 2: return (pixels + 1) / 2;
    case 3: return pixels;
    case 4: return 2 * pixels;
    case 5: return 3 * pixels;
    case 6: return 4 * pixels;
    default: return -1;
    }
}

uint16_t toRgb565(QRgb c) {
    return uint16_t((qRed(c) >> 3) << 11 | (qGreen(c) >> 2) << 5 | (qBlue(c) >> 3));
}

uint8_t toRgb332(QRgb c) { return uint8_t((qRed(c) >> 5) << 5 | (qGreen(c) >> 5) << 2 | (qBlue(c) >> 6)); }

int greyLevel(QRgb c) { return 255 - (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114 + 500) / 1000; }

Expected<QByteArray> writePhonePicture(const QImage& image, int format, int variant, uint16_t phoneType) {
    if (image.isNull()) return Result::failure(QStringLiteral("the picture is empty"));
    if (!isDefinedLayout(format, variant))
        return Result::failure(QStringLiteral("format %1 has no layout %2").arg(format).arg(variant));
    const Raster r(image);
    const bool reversed = reversesPictureOrder(phoneType);
    QByteArray out;
    switch (format) {
    case 0:
        if (variant == 0) out = rowOrderPacked(r, 1, r.width(), monoBit);
        else if (variant == 1) out = monoColumnPages(r);
        else return monoColumnWords(r);  // the word layout is the same on every model
        break;
    case 1:
        // Row-order rows hold whole bytes: the width is rounded up to four pixels.
        out = variant == 0 ? rowOrderPacked(r, 2, (r.width() + 3) / 4 * 4, grey2) : greyColumnPages(r);
        break;
    case 2: return rowOrderPacked(r, 4, r.width(), grey4);
    case 3:
        return perPixel(r, [](QByteArray& o, QRgb c) { o.append(char(toRgb332(c))); });
    case 4:
        return perPixel(r, [reversed](QByteArray& o, QRgb c) {
            const uint16_t v = toRgb565(c);
            o.append(char(reversed ? v & 0xFF : v >> 8));
            o.append(char(reversed ? v >> 8 : v & 0xFF));
        });
    case 5:
        return perPixel(r, [](QByteArray& o, QRgb c) {
            o.append(char(qBlue(c)));
            o.append(char(qGreen(c)));
            o.append(char(qRed(c)));
        });
    case 6:
        return perPixel(r, [](QByteArray& o, QRgb c) {
            o.append(char(qBlue(c)));
            o.append(char(qGreen(c)));
            o.append(char(qRed(c)));
            o.append('\0');
        });
    case 7: return runLength(r, phoneType);
    }
    if (reversed) reverseAllBits(out);  // the 1-bit and 2-bit layouts of models 4, 6 and 8
    return out;
}

}  // namespace qv::demo
