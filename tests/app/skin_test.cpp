// The see-through background: the tint formula per pixel layout, and the background after a move.
#include "app/skin.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

using namespace qv;

namespace {

// One pixel's bytes as a number: QRgb for 32-bit, R<<16|G<<8|B for 24-bit, the word for 16-bit.
uint32_t rawPixel(const QImage& img) {
    const uchar* b = img.constScanLine(0);
    switch (img.depth()) {
    case 32: return *reinterpret_cast<const QRgb*>(b);
    case 24: return uint32_t(b[0]) << 16 | uint32_t(b[1]) << 8 | b[2];
    case 16: return *reinterpret_cast<const quint16*>(b);
    default: return b[0];
    }
}

QImage onePixel(QImage::Format format, uint32_t raw) {
    QImage img(1, 1, format);
    if (format == QImage::Format_Indexed8) img.setColorTable({qRgb(1, 2, 3), qRgb(4, 5, 6)});
    uchar* b = img.scanLine(0);
    switch (img.depth()) {
    case 32: *reinterpret_cast<QRgb*>(b) = raw; break;
    case 24: b[0] = uchar(raw >> 16), b[1] = uchar(raw >> 8), b[2] = uchar(raw); break;
    case 16: *reinterpret_cast<quint16*>(b) = quint16(raw); break;
    default: b[0] = uchar(raw);
    }
    return img;
}

constexpr uint32_t rgb555(int r, int g, int b) { return uint32_t(r << 10 | g << 5 | b); }

struct TintCase {
    const char* what;
    QImage::Format format;
    uint32_t pixel;
    uint32_t backColor;  // red in the low byte
    int transparency;
    uint32_t expected;
};

TEST(Tint, MixesEachChannelWithIntegerDivision) {
    const TintCase cases[] = {
        {"255 over colour 0 at 11 truncates to 28", QImage::Format_RGB32, qRgb(255, 255, 255), 0, 11, qRgb(28, 28, 28)},
        {"0 paints the plain colour, red in the low byte", QImage::Format_RGB32, qRgb(1, 2, 3), 0x336699, 0,
         qRgb(0x99, 0x66, 0x33)},
        {"100 leaves the screen as it was", QImage::Format_RGB32, qRgb(12, 34, 56), 0xC0C0C0, 100, qRgb(12, 34, 56)},
        {"alpha is kept", QImage::Format_ARGB32, qRgba(200, 100, 50, 128), 0, 50, qRgba(100, 50, 25, 128)},
        {"24-bit bytes", QImage::Format_RGB888, 0xFF000A, 0xC0C0C0, 11, 198u << 16 | 170u << 8 | 171u},
        {"16-bit widened and narrowed", QImage::Format_RGB555, rgb555(31, 0, 16), 0, 11, rgb555(3, 0, 1)},
        {"16-bit plain colour", QImage::Format_RGB555, rgb555(1, 2, 3), 0xC0C0C0, 0, rgb555(24, 24, 24)},
        {"out-of-range transparency is clamped", QImage::Format_RGB32, qRgb(10, 20, 30), 0xFFFFFF, 250,
         qRgb(10, 20, 30)},
        {"565 is left alone", QImage::Format_RGB16, 0xBEEF, 0, 0, 0xBEEF},
        {"indexed is left alone", QImage::Format_Indexed8, 1, 0xFFFFFF, 0, 1},
    };
    for (const TintCase& c : cases) {
        SCOPED_TRACE(c.what);
        const QImage out = tintBackground(onePixel(c.format, c.pixel), c.backColor, c.transparency);
        EXPECT_EQ(out.format(), c.format);
        EXPECT_EQ(rawPixel(out), c.expected);
    }
}

TEST(Tint, TintingAgainFromTheCapturedImageNeverCompounds) {
    QImage captured(3, 2, QImage::Format_RGB32);
    captured.fill(qRgb(200, 100, 0));
    const QImage first = tintBackground(captured, 0, 50);
    const QImage second = tintBackground(captured, 0, 50);
    EXPECT_EQ(first, second);
    EXPECT_EQ(captured.pixel(2, 1), qRgb(200, 100, 0));
    EXPECT_EQ(first.pixel(2, 1), qRgb(100, 50, 0));
}

QImage numbered(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x, y, 7));
    return img;
}

TEST(MovedBackground, OverlapComesFromTheOldCaptureAndTheRestFromTheScreen) {
    const QImage old = numbered(5, 4);
    QImage screen(5, 4, QImage::Format_RGB32);
    screen.fill(qRgb(9, 9, 9));
    const QPoint offset(2, -1);  // moved right and up
    const QImage out = composeMovedBackground(old, offset, screen, 0xC0C0C0);
    ASSERT_EQ(out.size(), old.size());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const QPoint was = QPoint(x, y) + offset;
            const QRgb expected = old.rect().contains(was) ? qRgb(was.x(), was.y(), 7) : qRgb(9, 9, 9);
            EXPECT_EQ(out.pixel(x, y), expected) << x << "," << y;
        }
}

TEST(MovedBackground, WithoutAScreenTheUncoveredPartIsTheBackgroundColour) {
    const QImage out = composeMovedBackground(numbered(4, 4), QPoint(10, 0), QImage(), 0x0000FF);
    EXPECT_EQ(out.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(out.pixel(3, 3), qRgb(255, 0, 0));
}

TEST(SkinImages, PressedLooksDifferFromNormalOnes) {
    const std::pair<QImage, QImage> pairs[] = {
        {skin::titleButton(skin::TitleButton::Close, false), skin::titleButton(skin::TitleButton::Close, true)},
        {skin::titleButton(skin::TitleButton::Minimise, false), skin::titleButton(skin::TitleButton::Minimise, true)},
        {skin::titleButton(skin::TitleButton::Options, false), skin::titleButton(skin::TitleButton::Options, true)},
        {skin::applyImage(false), skin::applyImage(true)},
        {skin::cancelImage(false), skin::cancelImage(true)},
        {skin::dialogCloseImage(false), skin::dialogCloseImage(true)},
    };
    for (const auto& [normal, pressed] : pairs) {
        EXPECT_FALSE(normal.isNull());
        EXPECT_EQ(normal.size(), pressed.size());
        EXPECT_NE(normal, pressed);
    }
    EXPECT_NE(skin::titleButton(skin::TitleButton::Close, false), skin::titleButton(skin::TitleButton::Minimise, false));
    EXPECT_EQ(skin::titleStrip(569).size(), QSize(569, skin::kTitleHeight));
}

}  // namespace
