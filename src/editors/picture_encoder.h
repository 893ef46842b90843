#pragma once
// The picture encoder: an image's pixels reduced to the colours a picture's format holds and
// written in the picture's layout and the phone's byte and bit order, so that the picture
// decoder shows exactly the reduced image. Where the two would disagree, the decoder (what the
// phone shows) sets the order.
#include "editors/bmp_file.h"
#include "editors/picture_codec.h"

#include <QByteArray>
#include <cstdint>

namespace qv {

// The value a pixel of colour c takes in `format`, for an image of `sourceBits` per pixel:
// - 1-bit mono: set for black. From a 2-colour image only exact black is black; from any other
//   image a grey level (0.299 R + 0.587 G + 0.114 B) below 128.
// - 2-bit grey: the bands 0-83, 84-163, 164-211, 212-255 of the grey level (of the red
//   component for a 16-colour image) give 3, 2, 1, 0. They take both the decoded greys
//   (0, 85, 170, 255) and the standard 16-colour palette's (0, 128, 192, 255) to their value.
// - 4-bit grey: the nearest of the sixteen greys 255 - 16 v.
// - RGB332 and RGB565 (formats 3, 4 and 7): the top bits of each component. The decoder
//   expands a value to no more than the components it came from, so a decoded colour comes
//   back to its own value.
// - 24- and 32-bit: the colour itself, 0xRRGGBB.
uint32_t pixelValue(uint8_t format, int sourceBits, QRgb c);

// The picture's bytes for a bitmap of the shape's width and height, exactly as many as the
// layout takes (for run-length pictures as many as the runs take). Pixels past the bitmap (the
// pad columns of 2-bit rows, the rows past the last band) are white. Empty for a format that
// does not exist.
QByteArray encodePicture(const PictureShape& shape, const Bitmap& bitmap);

}  // namespace qv
