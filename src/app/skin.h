#pragma once
// The hand-drawn look of the windows: every image is painted in code, and the main window's
// see-through background is the screen beneath it mixed with the background colour.
#include <QColor>
#include <QImage>
#include <QRect>
#include <cstdint>

namespace qv {

// Colours are kept as numbers with red in the low byte, green in the middle, blue in the high byte.
QColor colorFromValue(uint32_t value);
uint32_t valueFromColor(const QColor& color);

namespace skin {

constexpr int kTitleHeight = 25;

enum class TitleButton { Close, Minimise, Options };

QImage titleStrip(int width);                          // kTitleHeight high
QImage titleButton(TitleButton button, bool pressed);  // 19 x 17
QImage windowIcon();                                   // 20 x 20, the title icon
QImage applyImage(bool pressed);                       // 24 x 24, a check mark
QImage cancelImage(bool pressed);                      // 24 x 24, a cross
QImage dialogCloseImage(bool pressed);                 // 40 x 20, the dialogs' close button
QImage buttonPlate(QSize size);                        // the sunk plate behind a dialog's button

}  // namespace skin

// The captured screen mixed with the background colour: for every pixel and colour channel
// new = (C * (100 - T) + P * T) / 100 with C the colour's channel, P the pixel's and T the
// transparency (clamped to 0..100). 32-bit (RGB32, ARGB32; alpha kept) and 24-bit (RGB888)
// pixels are mixed per byte; RGB555 channels are widened by << 3 and narrowed by >> 3. Other
// formats come back unchanged. `captured` itself is never changed, so tinting again from it
// never compounds.
QImage tintBackground(const QImage& captured, uint32_t backColor, int transparency);

// The screen under a rectangle in global coordinates, as an RGB32 image of the rectangle's
// size; a null image where the platform does not let a program read the screen (offscreen,
// Wayland) or hands back nothing but black. Callers then fill with the background colour.
QImage captureScreenUnder(const QRect& globalRect);

// Whether a program can read what the screen shows beneath its windows: on an X server
// without a compositing manager (no owner of the _NET_WM_CM_S<screen> selection) and on
// Windows. Under a compositor the screen read back is not what the user sees, and Wayland,
// macOS and the offscreen platform do not offer it.
bool screenCanBeRead();

// A plain RGB32 image in the background colour, for when the screen cannot be read.
QImage plainBackground(QSize size, uint32_t backColor);

// The background of a window that moved by `offset` (new position minus old): the part it
// covered before is taken from `oldCaptured` (what was beneath it then, not the window
// itself), the rest from `screenNow` (captured at the new place, same size) or, when that is
// null, filled with the background colour.
QImage composeMovedBackground(const QImage& oldCaptured, QPoint offset, const QImage& screenNow, uint32_t backColor);

}  // namespace qv
