#include "editors/picture_codec.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using qv::Bitmap;
using qv::EncodeResult;
using qv::PictureShape;

constexpr uint16_t kPlain = 5;
constexpr uint16_t kReversed = 8;
const QRgb kWhite = qRgb(255, 255, 255), kBlack = qRgb(0, 0, 0);

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values) b += char(uint8_t(v));
    return b;
}

Bitmap bitmap(int bpp, int w, int h, const std::function<QRgb(int, int)>& colour) {
    Bitmap b{w, h, bpp, {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.pixels.push_back(colour(x, y));
    return b;
}
Bitmap filled(int bpp, int w, int h, QRgb c) {
    return bitmap(bpp, w, h, [c](int, int) { return c; });
}
// The bitmap of what a picture decodes to, as an import of an export would load it.
Bitmap fromImage(int bpp, const QImage& img) {
    return bitmap(bpp, img.width(), img.height(), [&](int x, int y) { return img.pixel(x, y); });
}
QImage toImage(const Bitmap& b) {
    QImage img(b.width, b.height, QImage::Format_RGB32);
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) img.setPixel(x, y, b.pixel(x, y));
    return img;
}

QByteArray encode(const PictureShape& s, const Bitmap& b, int size) {
    const EncodeResult r = qv::encodePicture(s, b, size);
    EXPECT_EQ(r.kind, EncodeResult::Encoded);
    EXPECT_EQ(r.bytes.size(), size);
    return r.bytes;
}

TEST(PictureEncoder, TwoColourColumnPages) {
    // 16 × 12 all black: page 0 full; page 1 has rows 8..11 only, rows 12..15 stay clear.
    const Bitmap black = filled(1, 16, 12, kBlack);
    EXPECT_EQ(encode({16, 12, 0, 1, kPlain}, black, 32), QByteArray(16, char(0xFF)) + QByteArray(16, char(0x0F)));
    EXPECT_EQ(encode({16, 12, 0, 1, kReversed}, black, 32), QByteArray(16, char(0xFF)) + QByteArray(16, char(0xF0)));
    // Row 1 is bit 1, or bit 6 on reversed models; only exact black sets a bit.
    const Bitmap row1 = bitmap(1, 2, 8, [](int x, int y) { return y == 1 ? (x ? qRgb(0, 0, 1) : kBlack) : kWhite; });
    EXPECT_EQ(encode({2, 8, 0, 1, kPlain}, row1, 2), bytes({0x02, 0x00}));
    EXPECT_EQ(encode({2, 8, 0, 1, kReversed}, row1, 2), bytes({0x40, 0x00}));
    // Round trip in both orders.
    const Bitmap speckle = bitmap(1, 13, 21, [](int x, int y) { return (x * 7 + y * 13 + x * y) % 5 < 2 ? kBlack : kWhite; });
    for (uint16_t type : {kPlain, kReversed}) {
        const PictureShape s{13, 21, 0, 1, type};
        EXPECT_EQ(qv::decodePicture(s, encode(s, speckle, 39)), toImage(speckle)) << type;
    }
}

TEST(PictureEncoder, SixteenColourQuantiser) {
    // Defined bands, then the gaps: the nearer band wins, exact midpoints go to the lighter grey.
    const std::pair<int, int> cases[] = {{0, 3},   {64, 3},  {83, 3},  {84, 2},  {103, 2}, {104, 2}, {160, 2},
                                         {163, 2}, {164, 1}, {168, 1}, {208, 1}, {211, 1}, {212, 0}, {216, 0}};
    for (auto [red, q] : cases)
        EXPECT_EQ(encode({4, 1, 1, 0, kPlain}, filled(4, 4, 1, qRgb(red, 255 - red, 0)), 1), bytes({q * 0x55})) << red;
    // Mid grey of the standard palette: q = 2, which decodes as (85,85,85); the pad pixels are white.
    const QByteArray grey = encode({1, 1, 1, 0, kPlain}, filled(4, 1, 1, qRgb(128, 128, 128)), 1);
    EXPECT_EQ(grey, bytes({0x80}));
    EXPECT_EQ(qv::decodePicture({1, 1, 1, 0, kPlain}, grey).pixel(0, 0), qRgb(85, 85, 85));
}

TEST(PictureEncoder, SixteenColourLayoutsIgnoreModelOrder) {
    for (uint16_t type : {kPlain, kReversed}) {
        // 5 wide: two bytes a row, rows follow without further padding.
        EXPECT_EQ(encode({5, 2, 1, 0, type}, filled(4, 5, 2, kBlack), 4), bytes({0xFF, 0xC0, 0xFF, 0xC0}));
        // Rows 0..3 white, (192,192,192), (128,128,128), black: 3·64 + 2·16 + 1·4 + 0.
        const QRgb greys[] = {kWhite, qRgb(192, 192, 192), qRgb(128, 128, 128), kBlack};
        EXPECT_EQ(encode({1, 4, 1, 1, type}, bitmap(4, 1, 4, [&](int, int y) { return greys[y]; }), 1), bytes({0xE4}));
    }
}

TEST(PictureEncoder, SixteenColourRoundTripsOnPlainModels) {
    const QRgb greys[] = {kWhite, qRgb(170, 170, 170), qRgb(85, 85, 85), kBlack};
    const Bitmap b = bitmap(4, 7, 6, [&](int x, int y) { return greys[(x + 2 * y + x * y) % 4]; });
    const PictureShape rows{7, 6, 1, 0, kPlain}, pages{7, 6, 1, 1, kPlain};
    EXPECT_EQ(qv::cropToWidth(qv::decodePicture(rows, encode(rows, b, 12)), 7), toImage(b));
    EXPECT_EQ(qv::decodePicture(pages, encode(pages, b, 14)), toImage(b));
    for (uint8_t format : {0, 2, 3, 4, 7}) {
        const EncodeResult r = qv::encodePicture({7, 6, format, 0, kPlain}, b, 42);
        EXPECT_EQ(r.kind, EncodeResult::NothingWritten) << int(format);
        EXPECT_TRUE(r.bytes.isEmpty());
    }
}

TEST(PictureEncoder, TwoFiftySixColourIsInvertedRedLevelForAnyFormat) {
    const int reds[] = {0, 255, 100, 7};
    const Bitmap b = bitmap(8, 4, 1, [&](int x, int) { return qRgb(reds[x], 200, 200); });
    for (uint8_t format : {0, 3, 4, 7}) EXPECT_EQ(encode({4, 1, format, 0, kPlain}, b, 4), bytes({31, 0, 19, 31}));
}

TEST(PictureEncoder, TrueColourRoundTripsEveryRgb332AndRgb565Value) {
    QByteArray all332, all565;
    for (int v = 0; v < 256; ++v) all332 += char(v);
    for (int v = 0; v < 65536; ++v) all565 += char(v >> 8), all565 += char(v);
    const PictureShape s332{16, 16, 3, 0, kPlain};
    EXPECT_EQ(encode(s332, fromImage(24, qv::decodePicture(s332, all332)), 256), all332);
    for (uint16_t type : {kPlain, kReversed}) {
        const PictureShape s565{256, 256, 4, 0, type};
        EXPECT_EQ(encode(s565, fromImage(24, qv::decodePicture(s565, all565)), 131072), all565) << type;
    }
    EXPECT_EQ(encode({1, 1, 4, 0, kPlain}, filled(24, 1, 1, qRgb(255, 0, 0)), 2), bytes({0xF8, 0x00}));
    EXPECT_EQ(encode({1, 1, 4, 0, kReversed}, filled(24, 1, 1, qRgb(255, 0, 0)), 2), bytes({0x00, 0xF8}));
}

TEST(PictureEncoder, TrueColourTwelveBitPacking) {
    // 0xABC, 0xDEF, 0x123 down one column: the pair runs across the row end, the odd pixel takes two bytes.
    const QRgb colours[] = {qRgb(0xA0, 0xB0, 0xC0), qRgb(0xD0, 0xE0, 0xF0), qRgb(0x1F, 0x2F, 0x3F)};
    const Bitmap b = bitmap(24, 1, 3, [&](int, int y) { return colours[y]; });
    EXPECT_EQ(encode({1, 3, 7, 0, kPlain}, b, 5), bytes({0xAB, 0xCD, 0xEF, 0x12, 0x30}));
    // Reversed models swap the bytes of each 16-bit value first: 0xBC0A, 0xEF0D, 0x2301.
    EXPECT_EQ(encode({1, 3, 7, 0, kReversed}, b, 5), bytes({0xC0, 0xAF, 0x0D, 0x30, 0x10}));
    for (uint8_t format : {0, 1, 2, 5, 6})
        EXPECT_EQ(encode({1, 3, format, 0, kPlain}, b, 6), QByteArray(6, '\0')) << int(format);
}

TEST(PictureEncoder, OutputIsCutOrZeroFilledToSize) {
    const Bitmap b = filled(8, 4, 4, kBlack);  // 16 bytes of 31
    EXPECT_EQ(encode({4, 4, 3, 0, kPlain}, b, 10), QByteArray(10, char(31)));
    EXPECT_EQ(encode({4, 4, 3, 0, kPlain}, b, 20), QByteArray(16, char(31)) + QByteArray(4, '\0'));
    EXPECT_EQ(encode({4, 4, 3, 0, kPlain}, b, 0), QByteArray());
    EXPECT_EQ(encode({2, 1, 7, 0, kPlain}, filled(24, 2, 1, kWhite), 2), bytes({0xFF, 0xFF}));
}

TEST(PictureEncoder, RefusesOtherDepths) {
    for (int bpp : {16, 32, 0}) {
        const EncodeResult r = qv::encodePicture({2, 2, 4, 0, kPlain}, filled(bpp, 2, 2, kBlack), 8);
        EXPECT_EQ(r.kind, EncodeResult::Refused) << bpp;
        EXPECT_TRUE(r.bytes.isEmpty());
        EXPECT_EQ(r.message, "The quantity of colors should be: 2, 16, 256 or 65000");
    }
}

}  // namespace
