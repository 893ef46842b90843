#include "editors/picture_codec.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using qv::Bitmap;
using qv::EncodeResult;
using qv::PictureShape;

constexpr uint16_t kPlain = 5;
constexpr uint16_t kReversed = 8;

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

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

// A fixed scatter of black and white, different in every row and column.
QRgb speckle(int x, int y) { return (x * 7 + y * 13 + x * y) % 5 < 2 ? kBlack : kWhite; }

QByteArray encode(const PictureShape& s, const Bitmap& b, int size) {
    const EncodeResult r = qv::encodePicture(s, b, size);
    EXPECT_EQ(r.kind, EncodeResult::Encoded);
    EXPECT_EQ(r.bytes.size(), size);
    return r.bytes;
}

QImage asImage(const Bitmap& b) {
    QImage img(b.width, b.height, QImage::Format_RGB32);
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) img.setPixel(x, y, b.pixel(x, y));
    return img;
}

TEST(PictureEncoder, TwoColourBitmapIsColumnPagesOfEightRows) {
    // 16 × 12, all black: page 0 is full; page 1 has rows 8..11 only, rows 12..15 stay clear.
    const Bitmap b = filled(1, 16, 12, kBlack);
    for (auto [type, secondPage] : {std::pair{kPlain, 0x0F}, std::pair{kReversed, 0xF0}}) {
        const QByteArray out = encode({16, 12, qv::kFormatMono1, qv::kVariantColumnPages, type}, b, 32);
        EXPECT_EQ(out, QByteArray(16, char(0xFF)) + QByteArray(16, char(secondPage))) << type;
    }
}

TEST(PictureEncoder, TwoColourBitOrderPerModel) {
    // One black pixel at row 1: bit 1 on plain models, bit 6 on reversed ones.
    const Bitmap b = bitmap(1, 1, 8, [](int, int y) { return y == 1 ? kBlack : kWhite; });
    EXPECT_EQ(encode({1, 8, qv::kFormatMono1, 1, kPlain}, b, 1), bytes({0x02}));
    EXPECT_EQ(encode({1, 8, qv::kFormatMono1, 1, kReversed}, b, 1), bytes({0x40}));
    // Only exact black sets a bit.
    EXPECT_EQ(encode({1, 8, qv::kFormatMono1, 1, kPlain}, filled(1, 1, 8, qRgb(0, 0, 1)), 1), bytes({0x00}));
}

TEST(PictureEncoder, TwoColourRoundTripsThroughColumnPages) {
    const Bitmap b = bitmap(1, 13, 21, speckle);
    for (uint16_t type : {kPlain, kReversed}) {
        const PictureShape s{13, 21, qv::kFormatMono1, qv::kVariantColumnPages, type};
        EXPECT_EQ(qv::decodePicture(s, encode(s, b, 13 * 3)), asImage(b)) << type;
    }
}

TEST(PictureEncoder, SixteenColourQuantiser) {
    // Defined bands, then the gaps: nearer band wins, exact midpoints go to the lighter grey.
    const std::pair<int, int> cases[] = {
        {0, 3},   {64, 3},  {83, 3},  {84, 2},  {85, 2},  {103, 2}, {104, 2}, {128, 2}, {160, 2},
        {163, 2}, {164, 1}, {167, 1}, {168, 1}, {192, 1}, {208, 1}, {211, 1}, {212, 0}, {216, 0},
        {255, 0},
    };
    for (auto [red, q] : cases) {
        const QByteArray out = encode({4, 1, qv::kFormatGrey2, qv::kVariantRows, kPlain},
                                      filled(4, 4, 1, qRgb(red, 255 - red, 0)), 1);
        EXPECT_EQ(out, bytes({q * 0x55})) << red;
    }
}

TEST(PictureEncoder, MidGreyBecomesDarkGrey) {
    const PictureShape s{1, 1, qv::kFormatGrey2, qv::kVariantRows, kPlain};
    const QByteArray out = encode(s, filled(4, 1, 1, qRgb(128, 128, 128)), 1);
    EXPECT_EQ(out, bytes({0x80}));  // q = 2, the pad pixels white
    EXPECT_EQ(qv::decodePicture(s, out).pixel(0, 0), qRgb(85, 85, 85));
}

TEST(PictureEncoder, SixteenColourRowsPadToFourPixels) {
    // 5 wide: two bytes a row, the three pad pixels white; rows follow without further padding.
    const Bitmap b = filled(4, 5, 2, kBlack);
    const QByteArray expected = bytes({0xFF, 0xC0, 0xFF, 0xC0});
    for (uint16_t type : {kPlain, kReversed})
        EXPECT_EQ(encode({5, 2, qv::kFormatGrey2, qv::kVariantRows, type}, b, 4), expected) << type;
}

TEST(PictureEncoder, SixteenColourRoundTripsOnPlainModels) {
    const QRgb greys[] = {kWhite, qRgb(170, 170, 170), qRgb(85, 85, 85), kBlack};
    const Bitmap b = bitmap(4, 7, 6, [&](int x, int y) { return greys[(x + 2 * y + x * y) % 4]; });
    const PictureShape rows{7, 6, qv::kFormatGrey2, qv::kVariantRows, kPlain};
    EXPECT_EQ(qv::cropToWidth(qv::decodePicture(rows, encode(rows, b, 12)), 7), asImage(b));
    const PictureShape pages{7, 6, qv::kFormatGrey2, qv::kVariantColumnPages, kPlain};
    EXPECT_EQ(qv::decodePicture(pages, encode(pages, b, 14)), asImage(b));
}

TEST(PictureEncoder, SixteenColourColumnPagesIgnoreModelOrder) {
    // Rows 0..3 of one column: white, light, dark, black -> 3·64 + 2·16 + 1·4 + 0.
    const QRgb greys[] = {kWhite, qRgb(192, 192, 192), qRgb(128, 128, 128), kBlack};
    const Bitmap b = bitmap(4, 1, 4, [&](int, int y) { return greys[y]; });
    for (uint16_t type : {kPlain, kReversed})
        EXPECT_EQ(encode({1, 4, qv::kFormatGrey2, qv::kVariantColumnPages, type}, b, 1), bytes({0xE4})) << type;
}

TEST(PictureEncoder, SixteenColourForOtherFormatsWritesNothing) {
    for (uint8_t format : {0, 2, 3, 4, 7}) {
        const EncodeResult r = qv::encodePicture({4, 4, format, 0, kPlain}, filled(4, 4, 4, kBlack), 16);
        EXPECT_EQ(r.kind, EncodeResult::NothingWritten) << int(format);
        EXPECT_TRUE(r.bytes.isEmpty());
    }
}

TEST(PictureEncoder, TwoFiftySixColourIsInvertedRedLevel) {
    const Bitmap b = bitmap(8, 4, 1, [](int x, int) {
        const int reds[] = {0, 255, 100, 7};
        return qRgb(reds[x], 200, 200);
    });
    for (uint8_t format : {3, 4, 7}) EXPECT_EQ(encode({4, 1, format, 0, kPlain}, b, 4), bytes({31, 0, 19, 31}));
}

TEST(PictureEncoder, TrueColourRgb332RoundTripsEveryByte) {
    QByteArray all;
    for (int v = 0; v < 256; ++v) all += char(v);
    const PictureShape s{16, 16, qv::kFormatRgb332, 0, kPlain};
    const QImage img = qv::decodePicture(s, all);
    const Bitmap b = bitmap(24, 16, 16, [&](int x, int y) { return img.pixel(x, y); });
    EXPECT_EQ(encode(s, b, 256), all);
}

TEST(PictureEncoder, TrueColourRgb565RoundTripsEveryValueInBothOrders) {
    QByteArray all;
    for (int v = 0; v < 65536; ++v) all += char(v >> 8), all += char(v);
    for (uint16_t type : {kPlain, kReversed}) {
        const PictureShape s{256, 256, qv::kFormatRgb565, 0, type};
        const QImage img = qv::decodePicture(s, all);
        const Bitmap b = bitmap(24, 256, 256, [&](int x, int y) { return img.pixel(x, y); });
        EXPECT_EQ(encode(s, b, 131072), all) << type;
    }
    // Byte order itself: pure red is 0xF800.
    EXPECT_EQ(encode({1, 1, qv::kFormatRgb565, 0, kPlain}, filled(24, 1, 1, qRgb(255, 0, 0)), 2), bytes({0xF8, 0x00}));
    EXPECT_EQ(encode({1, 1, qv::kFormatRgb565, 0, kReversed}, filled(24, 1, 1, qRgb(255, 0, 0)), 2), bytes({0x00, 0xF8}));
}

TEST(PictureEncoder, TrueColourTwelveBitPacking) {
    // 0xABC, 0xDEF, 0x123 over two rows: the pair runs across the row end, the odd pixel takes two bytes.
    const QRgb colours[] = {qRgb(0xA0, 0xB0, 0xC0), qRgb(0xD0, 0xE0, 0xF0), qRgb(0x1F, 0x2F, 0x3F)};
    const Bitmap b = bitmap(24, 1, 3, [&](int, int y) { return colours[y]; });
    const PictureShape plain{1, 3, qv::kFormatRunLength565, 0, kPlain};
    EXPECT_EQ(encode(plain, b, 5), bytes({0xAB, 0xCD, 0xEF, 0x12, 0x30}));
    // Reversed models swap the bytes of each 16-bit value first: 0xBC0A, 0xEF0D, 0x2301.
    const PictureShape reversed{1, 3, qv::kFormatRunLength565, 0, kReversed};
    EXPECT_EQ(encode(reversed, b, 5), bytes({0xC0, 0xAF, 0x0D, 0x30, 0x10}));
}

TEST(PictureEncoder, TrueColourForOtherFormatsIsZeros) {
    for (uint8_t format : {0, 1, 2, 5, 6})
        EXPECT_EQ(encode({2, 2, format, 0, kPlain}, filled(24, 2, 2, kBlack), 6), QByteArray(6, '\0')) << int(format);
}

TEST(PictureEncoder, OutputIsCutOrZeroFilledToSize) {
    const Bitmap b = filled(8, 4, 4, kBlack);  // 16 bytes of 31
    const PictureShape s{4, 4, qv::kFormatRgb332, 0, kPlain};
    EXPECT_EQ(encode(s, b, 10), QByteArray(10, char(31)));
    EXPECT_EQ(encode(s, b, 20), QByteArray(16, char(31)) + QByteArray(4, '\0'));
    EXPECT_EQ(encode(s, b, 0), QByteArray());
    // A 12-bit pair cut in the middle keeps its defined first bytes.
    EXPECT_EQ(encode({2, 1, qv::kFormatRunLength565, 0, kPlain}, filled(24, 2, 1, kWhite), 2), bytes({0xFF, 0xFF}));
}

TEST(PictureEncoder, RefusesOtherDepths) {
    for (int bpp : {16, 32, 0, 2}) {
        const EncodeResult r = qv::encodePicture({2, 2, qv::kFormatRgb565, 0, kPlain}, filled(bpp, 2, 2, kBlack), 8);
        EXPECT_EQ(r.kind, EncodeResult::Refused) << bpp;
        EXPECT_TRUE(r.bytes.isEmpty());
        EXPECT_EQ(r.message, "The quantity of colors should be: 2, 16, 256 or 65000");
    }
}

}  // namespace
