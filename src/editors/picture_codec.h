#pragma once
// The phone's picture pixel formats and the picture decoder, which turns a picture's bytes into
// the raster the phone shows. A pure conversion; callers do the file I/O. The encoder
// (picture_encoder.h) writes what this decoder reads.
#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <cstdint>

namespace qv {

// Format codes of a picture entry.
enum PictureFormat : uint8_t {
    kFormatMono1 = 0,
    kFormatGrey2 = 1,
    kFormatGrey4 = 2,
    kFormatRgb332 = 3,
    kFormatRgb565 = 4,
    kFormatBgr24 = 5,
    kFormatBgrx32 = 6,
    kFormatRunLength565 = 7,
};

// Layout codes of a picture entry.
enum PictureVariant : uint8_t {
    kVariantRows = 0,
    kVariantColumnPages = 1,   // bands of 8 rows (1-bit) or 4 rows (2-bit), one byte per column
    kVariantColumnWords = 2,   // bands of 16 rows, one little-endian word per column; 1-bit only
};

struct PictureShape {
    int width = 0;
    int height = 0;
    uint8_t format = 0;
    uint8_t variant = 0;
    uint16_t phoneType = 0;
};

// Larger shapes come only from damaged tables; they decode as an empty image.
constexpr qint64 kMaxPicturePixels = qint64(16) * 1024 * 1024;

// Models that keep 16-bit pixels low byte first and 1- and 2-bit pixels from bit 0 up.
bool isReversedOrderModel(uint16_t phoneType);

// The phone's order of the bits of a byte on reversed-order models.
uint8_t reverseBits(uint8_t b);

// The layout the decoder reads: the variant where the format defines it, else row order.
uint8_t effectiveVariant(const PictureShape& shape);

// Model 4 alone takes the first byte of a run-length literal as the value's low byte.
constexpr uint16_t kLiteralSwapModel = 4;
// A run-length count byte is below this; a byte of this or more starts a literal.
constexpr uint8_t kRunLimit = 0x50;

// A 2-bit picture in row order has whole bytes per row, so it decodes wider than its entry.
int decodedWidth(const PictureShape& shape);

// RGB32 raster of decodedWidth × height. Never fails: pixels without bytes stay white, surplus
// bytes are ignored. A layout that the format does not define is read as row order.
QImage decodePicture(const PictureShape& shape, QByteArrayView bytes);

// The left `width` columns of a decoded picture (drops the pad columns of a 2-bit row picture).
QImage cropToWidth(const QImage& image, int width);

}  // namespace qv
