#pragma once
// A 5 x 7 pixel font for the labels of the demo pictures. Our own glyphs keep the pictures
// identical on every machine, whatever fonts it has, and need no GUI application object.
#include <QColor>
#include <QImage>
#include <QString>

namespace qv::demo {

constexpr int kTinyGlyphWidth = 5;
constexpr int kTinyGlyphHeight = 7;

// Width in pixels of `text` at `scale`, one blank column between characters.
int tinyTextWidth(const QString& text, int scale = 1);

// Draws `text` with its top-left corner at (x, y); characters the font lacks draw as blanks,
// pixels outside the image are skipped.
void drawTinyText(QImage& image, int x, int y, const QString& text, QColor color, int scale = 1);

}  // namespace qv::demo
