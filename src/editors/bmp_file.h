#pragma once
// Windows bitmap files, read by our own code because the picture import treats 2- and 16-colour
// images by their own bit depth, which QImage does not keep (4-bit and 8-bit both load as Indexed8).
#include "base/expected.h"

#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <vector>

namespace qv {

struct Bitmap {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;        // as stored in the file: 1, 4, 8, 16, 24 or 32
    std::vector<QRgb> pixels;    // row-major, top row first, opaque colours

    // A position outside the bitmap reads as white, as the encoder's pad pixels are.
    QRgb pixel(int x, int y) const;
};

// The cap on width × height; anything larger is treated as a damaged or hostile file.
constexpr qint64 kMaxBitmapPixels = qint64(64) * 1024 * 1024;

// Palette indices past the palette read as black rather than failing the whole file.
Expected<Bitmap> readBmp(QByteArrayView data);
Expected<Bitmap> readBmpFile(const QString& path);

// An image of any format Qt reads (PNG, ...) as the bitmap the encoder takes. Qt does not keep
// a file's bit depth, so the depth stands for the pixel format: an image with a colour table of
// at most 2 colours counts as 1-bit, at most 16 as 4-bit, at most 256 as 8-bit; everything else
// (true colour, grey levels without a table, 16-bit) as 24-bit. Translucent pixels are laid
// over white.
Expected<Bitmap> bitmapFromImage(const QImage& image);
// Windows bitmaps (found by their "BM" signature, whatever the file is called) by readBmp, so
// that they keep their own depth; any other file through Qt and bitmapFromImage.
Expected<Bitmap> readImage(QByteArrayView data);
Expected<Bitmap> readImageFile(const QString& path);

// 24-bit uncompressed, bottom-up, 2835 pixels per metre (72 dpi). An empty array for a null image.
QByteArray writeBmp24(const QImage& image);
Result writeBmp24File(const QImage& image, const QString& path);
// An image with a colour table (Format_Mono, Format_Indexed8) as a palette bitmap laid out as
// writeBmp24 lays out its own: 1 bit per pixel for a table of 2 colours, else 4 bits for up
// to 16. An empty array for an image without such a table.
QByteArray writeIndexedBmp(const QImage& image);
// The image's own depth where it has a table of at most 16 colours, 24 bits otherwise.
Result writeBmpFile(const QImage& image, const QString& path);

}  // namespace qv
