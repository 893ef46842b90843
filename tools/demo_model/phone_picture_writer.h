#pragma once
// Turns a drawn raster into the bytes a phone keeps for a picture of a given format and layout.
// Written as the inverse of the phone's decoding rules, independently of the program's own
// codec, so that the demo model can be used to check that codec.
#include "base/expected.h"

#include <QByteArray>
#include <QImage>
#include <cstdint>

namespace qv::demo {

// Layouts the phone decodes: format 0 in variants 0..2, format 1 in variants 0..1, the other
// formats (2..7) in row order only.
bool isDefinedLayout(int format, int variant);

// Models 4, 6 and 8 keep 16-bit values low byte first and 1/2-bit bytes bit-reversed.
bool reversesPictureOrder(uint16_t phoneType);

// Byte count of a picture in a fixed-size format; -1 for the run-length format 7, whose size
// depends on the pixels, and for undefined layouts.
int fixedPictureSize(int width, int height, int format, int variant);

// Colour components as the phone will show them after decoding.
uint16_t toRgb565(QRgb c);
uint8_t toRgb332(QRgb c);
int greyLevel(QRgb c);  // 0 = white .. 255 = black

// The phone's bytes for `image` (any format; converted to RGB first).
Expected<QByteArray> writePhonePicture(const QImage& image, int format, int variant, uint16_t phoneType);

}  // namespace qv::demo
