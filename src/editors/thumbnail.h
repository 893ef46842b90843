#pragma once
// The small picture drawn beside each row of the picture list.
#include <QImage>
#include <QSize>
#include <cstdint>

namespace qv {

constexpr int kThumbnailSize = 48;

// numerator / denominator to the nearest integer, a half going to the even neighbour.
// Exact for positive values, where floating point would turn 48/w·w into 47.999…
int roundHalfEven(int64_t numerator, int64_t denominator);

// The picture's size inside the thumbnail: unchanged when it fits, else the longer side
// (the height on a tie) brought to 48 and the other scaled alike.
QSize thumbnailFit(int width, int height);

// A 48 × 48 RGB32 image: white, the picture scaled to thumbnailFit and centred, then a black
// frame on rows 0 and 46 and columns 0 and 47 (row 47 keeps whatever the picture put there).
// The picture should already be cut back to its entry's width.
QImage makeThumbnail(const QImage& picture);

}  // namespace qv
