#include "editors/bmp_file.h"

#include "base/file_output.h"
#include "base/quiet_stderr.h"

#include "image/byte_order.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <bit>
#include <limits>

namespace qv {

namespace {

constexpr qsizetype kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr int kResolutionPerMetre = 2835;
// The largest bitmap file we agree to load whole: the pixel cap at 32 bits plus headroom.
constexpr qint64 kMaxFileSize = kMaxBitmapPixels * 4 + 16 * 1024 * 1024;

// One colour channel of a 16- or 32-bit pixel, described by its mask in the file.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m) : mask(m) {
        if (m != 0) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    int expand(uint32_t value) const {
        if (max == 0) return 0;
        // A mask with holes still gives a value not above max, so the result stays in 0..255.
        const uint64_t v = (value & mask) >> shift;
        return int((v * 255 + max / 2) / max);
    }
};

struct Layout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bpp = 0;
    uint32_t compression = kBiRgb;
    uint32_t masks[3] = {0, 0, 0};
    std::vector<QRgb> palette;
    qint64 dataOffset = 0;
};

class Parser {
public:
    explicit Parser(QByteArrayView data) : p_(reinterpret_cast<const uint8_t*>(data.data())), n_(data.size()) {}

    Expected<Bitmap> run();

private:
    bool has(qint64 offset, qint64 length) const {
        return offset >= 0 && length >= 0 && offset <= n_ && length <= n_ - offset;
    }
    static Result fail(const QString& message) { return Result::failure(message); }
    static Result unsupported(const QString& message) { return Result(ResultCode::UnsupportedFormat, message); }
    Result readHeaders(Layout& l);
    Result readMasks(Layout& l, uint32_t headerSize, qint64& tableEnd);
    Result readPalette(Layout& l, uint32_t headerSize, uint32_t colorsUsed, qint64 fileOffset, qint64& tableEnd);
    void decodeRow(const Layout& l, const uint8_t* row, QRgb* out) const;

    const uint8_t* p_;
    qint64 n_;
};

Result Parser::readHeaders(Layout& l) {
    if (!has(0, kFileHeaderSize + 4)) return fail(QStringLiteral("The bitmap file is truncated (no header)."));
    if (p_[0] != 'B' || p_[1] != 'M') return unsupported(QStringLiteral("Not a Windows bitmap file (no \"BM\" signature)."));
    const qint64 fileOffset = getU32(p_ + 10);
    const uint32_t headerSize = getU32(p_ + kFileHeaderSize);
    const uint8_t* h = p_ + kFileHeaderSize;
    qint64 width = 0, height = 0;
    uint32_t colorsUsed = 0;

    if (headerSize == kCoreHeaderSize) {
        if (!has(kFileHeaderSize, kCoreHeaderSize)) return fail(QStringLiteral("The bitmap file is truncated (header)."));
        width = getU16(h + 4);
        height = getU16(h + 6);
        l.bpp = getU16(h + 10);
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
        if (!has(kFileHeaderSize, headerSize)) return fail(QStringLiteral("The bitmap file is truncated (header)."));
        width = int32_t(getU32(h + 4));
        height = int32_t(getU32(h + 8));
        l.bpp = getU16(h + 14);
        l.compression = getU32(h + 16);
        colorsUsed = getU32(h + 32);
    } else {
        return unsupported(QStringLiteral("Unsupported bitmap header (%1 bytes).").arg(headerSize));
    }

    if (height < 0) {
        l.topDown = true;
        height = -height;
    }
    if (width <= 0 || height <= 0)
        return fail(QStringLiteral("The bitmap has no pixels (%1 x %2).").arg(width).arg(height));
    if (width * height > kMaxBitmapPixels)
        return Result(ResultCode::TooLarge, QStringLiteral("The bitmap is too large (%1 x %2).").arg(width).arg(height));
    l.width = int(width);
    l.height = int(height);

    if (l.bpp != 1 && l.bpp != 4 && l.bpp != 8 && l.bpp != 16 && l.bpp != 24 && l.bpp != 32)
        return unsupported(QStringLiteral("Unsupported bitmap depth (%1 bits per pixel).").arg(l.bpp));
    if (l.compression == kBiRle4 || l.compression == kBiRle8)
        return unsupported(QStringLiteral("Compressed (RLE) bitmaps are not supported."));
    if (l.compression == kBiBitfields && l.bpp != 16 && l.bpp != 32)
        return fail(QStringLiteral("Bit-field masks are only valid for 16- and 32-bit bitmaps."));
    if (l.compression != kBiRgb && l.compression != kBiBitfields)
        return unsupported(QStringLiteral("Unsupported bitmap compression (%1).").arg(l.compression));

    const qint64 headerEnd = kFileHeaderSize + headerSize;
    qint64 tableEnd = headerEnd;
    const Result tables =
        l.bpp <= 8 ? readPalette(l, headerSize, colorsUsed, fileOffset, tableEnd) : readMasks(l, headerSize, tableEnd);
    if (!tables) return tables;

    // Some writers leave the offset zero; the pixels then follow the tables directly.
    if (fileOffset == 0) {
        l.dataOffset = tableEnd;
    } else if (fileOffset < headerEnd) {
        return fail(QStringLiteral("The bitmap's pixel offset points into its header."));
    } else {
        l.dataOffset = fileOffset;
    }
    return {};
}

Result Parser::readMasks(Layout& l, uint32_t headerSize, qint64& tableEnd) {
    if (l.compression == kBiRgb) {
        if (l.bpp == 16) {
            l.masks[0] = 0x7C00, l.masks[1] = 0x03E0, l.masks[2] = 0x001F;
        } else if (l.bpp == 32) {
            l.masks[0] = 0xFF0000, l.masks[1] = 0xFF00, l.masks[2] = 0xFF;
        }
        return {};
    }
    // The masks follow a 40-byte header; larger headers carry them inside.
    const qint64 at = kFileHeaderSize + kInfoHeaderSize;
    if (!has(at, 12)) return fail(QStringLiteral("The bitmap file is truncated (colour masks)."));
    for (int i = 0; i < 3; ++i) l.masks[i] = getU32(p_ + at + 4 * i);
    if (headerSize == kInfoHeaderSize) tableEnd = at + 12;
    return {};
}

Result Parser::readPalette(Layout& l, uint32_t headerSize, uint32_t colorsUsed, qint64 fileOffset, qint64& tableEnd) {
    const qint64 entrySize = headerSize == kCoreHeaderSize ? 3 : 4;
    const qint64 start = kFileHeaderSize + headerSize;
    const qint64 full = qint64(1) << l.bpp;
    qint64 count = (colorsUsed == 0 || colorsUsed > full) ? full : qint64(colorsUsed);
    // A palette that would run into the pixels is shorter than it claims.
    if (fileOffset != 0 && fileOffset >= start && start + count * entrySize > fileOffset)
        count = (fileOffset - start) / entrySize;
    if (count == 0) return fail(QStringLiteral("The bitmap has no palette."));
    if (!has(start, count * entrySize)) return fail(QStringLiteral("The bitmap file is truncated (palette)."));
    l.palette.resize(size_t(count));
    for (qint64 i = 0; i < count; ++i) {
        const uint8_t* e = p_ + start + i * entrySize;
        l.palette[size_t(i)] = qRgb(e[2], e[1], e[0]);
    }
    tableEnd = start + count * entrySize;
    return {};
}

void Parser::decodeRow(const Layout& l, const uint8_t* row, QRgb* out) const {
    const auto fromPalette = [&](unsigned index) {
        return index < l.palette.size() ? l.palette[index] : qRgb(0, 0, 0);
    };
    const Channel r(l.masks[0]), g(l.masks[1]), b(l.masks[2]);
    for (int x = 0; x < l.width; ++x) {
        switch (l.bpp) {
        case 1: out[x] = fromPalette((row[x >> 3] >> (7 - (x & 7))) & 1); break;
        case 4: out[x] = fromPalette((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF); break;
        case 8: out[x] = fromPalette(row[x]); break;
        case 16: {
            const uint32_t v = getU16(row + 2 * qsizetype(x));
            out[x] = qRgb(r.expand(v), g.expand(v), b.expand(v));
            break;
        }
        case 24: {
            const uint8_t* px = row + 3 * qsizetype(x);
            out[x] = qRgb(px[2], px[1], px[0]);
            break;
        }
        default: {
            const uint32_t v = getU32(row + 4 * qsizetype(x));
            out[x] = qRgb(r.expand(v), g.expand(v), b.expand(v));
            break;
        }
        }
    }
}

Expected<Bitmap> Parser::run() {
    Layout l;
    if (Result s = readHeaders(l); !s) return s;
    const qint64 bitsPerRow = qint64(l.width) * l.bpp;
    const qint64 stride = (bitsPerRow + 31) / 32 * 4;
    // The last row's padding is not required: some writers leave it out.
    const qint64 needed = stride * (l.height - 1) + (bitsPerRow + 7) / 8;
    if (!has(l.dataOffset, needed)) return fail(QStringLiteral("The bitmap file is truncated (pixel data)."));

    Bitmap bmp;
    bmp.width = l.width;
    bmp.height = l.height;
    bmp.bitsPerPixel = l.bpp;
    bmp.pixels.resize(size_t(l.width) * size_t(l.height));
    for (int stored = 0; stored < l.height; ++stored) {
        const int y = l.topDown ? stored : l.height - 1 - stored;
        decodeRow(l, p_ + l.dataOffset + stride * stored, bmp.pixels.data() + size_t(y) * size_t(l.width));
    }
    return bmp;
}

}  // namespace

QRgb Bitmap::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return qRgb(255, 255, 255);
    return pixels[size_t(y) * size_t(width) + size_t(x)];
}

Expected<Bitmap> readBmp(QByteArrayView data) { return Parser(data).run(); }

namespace {

// The whole file, read in chunks up to a limit rather than trusting size(), which a device file
// reports as 0.
Expected<QByteArray> readCapped(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("Cannot open \"%1\": %2").arg(path, file.errorString()));
    QByteArray data;
    for (QByteArray chunk; data.size() <= kMaxFileSize && !(chunk = file.read(1 << 20)).isEmpty();) data += chunk;
    if (data.size() > kMaxFileSize) return Result(ResultCode::TooLarge, QStringLiteral("\"%1\" is too large for a bitmap.").arg(path));
    return data;
}

Expected<Bitmap> readFileWith(const QString& path, Expected<Bitmap> (*reader)(QByteArrayView)) {
    const auto data = readCapped(path);
    if (!data) return data.error();
    auto bmp = reader(*data);
    if (!bmp) return Result(bmp.error().code(), QStringLiteral("\"%1\": %2").arg(path, bmp.error().message()));
    return bmp;
}

}  // namespace

Expected<Bitmap> readBmpFile(const QString& path) { return readFileWith(path, readBmp); }

Expected<Bitmap> bitmapFromImage(const QImage& image) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return Result::failure(QStringLiteral("The image has no pixels."));
    if (qint64(image.width()) * image.height() > kMaxBitmapPixels)
        return Result(ResultCode::TooLarge, QStringLiteral("The image is too large (%1 x %2).").arg(image.width()).arg(image.height()));
    Bitmap bmp;
    bmp.width = image.width();
    bmp.height = image.height();
    const qsizetype colours = image.colorTable().size();
    bmp.bitsPerPixel = colours == 0 ? 24 : colours <= 2 ? 1 : colours <= 16 ? 4 : colours <= 256 ? 8 : 24;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    bmp.pixels.resize(size_t(bmp.width) * size_t(bmp.height));
    for (int y = 0; y < bmp.height; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        QRgb* out = bmp.pixels.data() + size_t(y) * size_t(bmp.width);
        for (int x = 0; x < bmp.width; ++x) {
            const int a = qAlpha(src[x]);
            const auto over = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            out[x] = a == 255 ? qRgb(qRed(src[x]), qGreen(src[x]), qBlue(src[x]))
                              : qRgb(over(qRed(src[x])), over(qGreen(src[x])), over(qBlue(src[x])));
        }
    }
    return bmp;
}

Expected<Bitmap> readImage(QByteArrayView data) {
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') return readBmp(data);
    QByteArray bytes = data.toByteArray();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    const QuietStandardError quiet;  // libpng and libtiff say what they found on stderr themselves
    if (!reader.canRead()) return Result(ResultCode::UnsupportedFormat, QStringLiteral("Not an image file of a known format."));
    // Refused before decoding: a small file may claim a huge picture.
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxBitmapPixels)
        return Result(ResultCode::TooLarge, QStringLiteral("The image is too large (%1 x %2).").arg(size.width()).arg(size.height()));
    const QImage image = reader.read();
    if (image.isNull()) return Result::failure(QStringLiteral("The image can not be read: %1.").arg(reader.errorString()));
    return bitmapFromImage(image);
}

Expected<Bitmap> readImageFile(const QString& path) { return readFileWith(path, readImage); }

namespace {

// A zero-filled bottom-up BMP of `headers` + `imageSize` bytes whose file and info headers are
// written; the caller adds the palette, if any, and the rows.
QByteArray bmpWithHeaders(int w, int h, int bits, qint64 headers, qint64 imageSize) {
    QByteArray out(qsizetype(headers + imageSize), '\0');
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    p[0] = 'B';
    p[1] = 'M';
    putU32(p + 2, uint32_t(headers + imageSize));
    putU32(p + 10, uint32_t(headers));
    uint8_t* info = p + kFileHeaderSize;
    putU32(info + 0, kInfoHeaderSize);
    putU32(info + 4, uint32_t(w));
    putU32(info + 8, uint32_t(h));
    putU16(info + 12, 1);
    putU16(info + 14, uint16_t(bits));
    putU32(info + 16, kBiRgb);
    putU32(info + 20, uint32_t(imageSize));
    putU32(info + 24, kResolutionPerMetre);
    putU32(info + 28, kResolutionPerMetre);
    return out;
}

}  // namespace

QByteArray writeBmp24(const QImage& image) {
    if (image.isNull()) return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int w = rgb.width(), h = rgb.height();
    const qint64 stride = (qint64(w) * 3 + 3) / 4 * 4;
    const qint64 imageSize = stride * h;
    const qint64 headers = kFileHeaderSize + kInfoHeaderSize;
    if (headers + imageSize > std::numeric_limits<int32_t>::max()) return {};

    QByteArray out = bmpWithHeaders(w, h, 24, headers, imageSize);
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    for (int y = 0; y < h; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uint8_t* row = p + headers + stride * (h - 1 - y);
        for (int x = 0; x < w; ++x) {
            row[3 * x] = uint8_t(qBlue(src[x]));
            row[3 * x + 1] = uint8_t(qGreen(src[x]));
            row[3 * x + 2] = uint8_t(qRed(src[x]));
        }
    }
    return out;
}

QByteArray writeIndexedBmp(const QImage& image) {
    const QList<QRgb> palette = image.colorTable();
    if (image.isNull() || palette.isEmpty() || palette.size() > 16) return {};
    const int bits = palette.size() == 2 ? 1 : 4;
    const int w = image.width(), h = image.height();
    const qint64 stride = (qint64(w) * bits + 31) / 32 * 4;
    const qint64 imageSize = stride * h;
    const qint64 headers = kFileHeaderSize + kInfoHeaderSize + 4 * palette.size();
    if (headers + imageSize > std::numeric_limits<int32_t>::max()) return {};

    QByteArray out = bmpWithHeaders(w, h, bits, headers, imageSize);
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    uint8_t* info = p + kFileHeaderSize;
    putU32(info + 32, uint32_t(palette.size()));
    for (qsizetype i = 0; i < palette.size(); ++i) putU32(info + kInfoHeaderSize + 4 * i, palette[i] & 0xFFFFFF);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = p + headers + stride * (h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const int bit = x * bits;
            row[bit / 8] |= uint8_t(image.pixelIndex(x, y) << (8 - bits - bit % 8));
        }
    }
    return out;
}

Result writeBmpFile(const QImage& image, const QString& path) {
    const QByteArray indexed = writeIndexedBmp(image);
    return indexed.isEmpty() ? writeBmp24File(image, path) : writeWholeFile(path, indexed);
}

Result writeBmp24File(const QImage& image, const QString& path) {
    const QByteArray bytes = writeBmp24(image);
    if (bytes.isEmpty()) return Result::failure(QStringLiteral("There is no picture to write to \"%1\".").arg(path));
    return writeWholeFile(path, bytes);
}

}  // namespace qv
