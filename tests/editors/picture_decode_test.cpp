#include "editors/picture_codec.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using qv::PictureShape;
using Pixels = std::vector<QRgb>;

constexpr uint16_t kPlain = 5;      // a plain-order model
constexpr uint16_t kReversed = 6;   // reversed order, literals not swapped
constexpr uint16_t kSwapModel = 4;  // reversed order and swapped run-length literals

const QRgb W = qRgb(255, 255, 255), K = qRgb(0, 0, 0);
const QRgb kLight = qRgb(170, 170, 170), kDark = qRgb(85, 85, 85);

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values) b += char(uint8_t(v));
    return b;
}

// Pixels row by row, or column by column for the column layouts.
Pixels rowMajor(const QImage& img) {
    Pixels out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) out.push_back(img.pixel(x, y));
    return out;
}
Pixels columnMajor(const QImage& img) {
    Pixels out;
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y) out.push_back(img.pixel(x, y));
    return out;
}

struct Case {
    const char* name;
    PictureShape shape;
    QByteArray bytes;
    Pixels expected;
};

void check(const Case& c, Pixels (*order)(const QImage&)) {
    const QImage img = qv::decodePicture(c.shape, c.bytes);
    EXPECT_EQ(img.format(), QImage::Format_RGB32) << c.name;
    EXPECT_EQ(order(img), c.expected) << c.name;
}

TEST(PictureDecoder, RowOrderFormats) {
    const QRgb blue = qRgb(0, 0, 248), red = qRgb(248, 0, 0), swapped = qRgb(0, 28, 192);
    const Case cases[] = {
        // Pixel 10 (row 1, column 0) is bit 5 of byte 1; a reversed model flips the byte first.
        {"1-bit rows run on", {10, 2, 0, 0, kPlain}, bytes({0, 0x20, 0}), {W, W, W, W, W, W, W, W, W, W, K, W, W, W, W, W, W, W, W, W}},
        {"1-bit reversed", {10, 2, 0, 0, kReversed}, bytes({0, 0x04, 0}), {W, W, W, W, W, W, W, W, W, W, K, W, W, W, W, W, W, W, W, W}},
        {"2-bit levels", {4, 1, 1, 0, kPlain}, bytes({0x1B}), {W, kLight, kDark, K}},
        {"2-bit reversed", {4, 1, 1, 0, kReversed}, bytes({0x1B}), {K, kLight, kDark, W}},
        {"4-bit, any model", {3, 1, 2, 0, kReversed}, bytes({0x0F, 0x80}), {W, qRgb(15, 15, 15), qRgb(127, 127, 127)}},
        {"RGB332", {10, 1, 3, 0, kPlain}, bytes({0x00, 0xFF, 0x20, 0x40, 0xE0, 0x04, 0x18, 0x01, 0x02, 0x03}),
         {K, W, qRgb(63, 0, 0), qRgb(64, 0, 0), qRgb(255, 0, 0), qRgb(0, 63, 0), qRgb(0, 192, 0), qRgb(0, 0, 127),
          qRgb(0, 0, 128), qRgb(0, 0, 255)}},
        {"RGB565 high byte first", {3, 1, 4, 0, kPlain}, bytes({0xF8, 0, 0xFF, 0xFF, 0x07, 0xE0}),
         {red, qRgb(248, 252, 248), qRgb(0, 252, 0)}},
        {"RGB565 model 3 is plain", {1, 1, 4, 0, 3}, bytes({0xF8, 0}), {red}},
        {"RGB565 reversed", {1, 1, 4, 0, kReversed}, bytes({0xF8, 0}), {swapped}},
        {"RGB565 model 8", {1, 1, 4, 0, 8}, bytes({0xF8, 0}), {swapped}},
        {"BGR", {2, 1, 5, 0, kReversed}, bytes({1, 2, 3, 4, 5, 6}), {qRgb(3, 2, 1), qRgb(6, 5, 4)}},
        {"BGRX", {2, 1, 6, 0, kReversed}, bytes({1, 2, 3, 9, 4, 5, 6, 9}), {qRgb(3, 2, 1), qRgb(6, 5, 4)}},
        // A run of three fills row 0 and the literal starts row 1; runs are low byte first everywhere.
        {"run and literal", {3, 2, 7, 0, kPlain}, bytes({3, 0x1F, 0, 0xF8, 0}), {blue, blue, blue, red, W, W}},
        {"run and literal, model 6", {3, 2, 7, 0, kReversed}, bytes({3, 0x1F, 0, 0xF8, 0}), {blue, blue, blue, red, W, W}},
        {"run and literal, model 4", {3, 2, 7, 0, kSwapModel}, bytes({3, 0x1F, 0, 0xF8, 0}), {blue, blue, blue, swapped, W, W}},
        // Missing bytes leave white, surplus bytes are ignored.
        {"run without its value", {2, 1, 7, 0, kPlain}, bytes({2, 0x1F}), {W, W}},
        {"literal without its second byte", {2, 1, 7, 0, kPlain}, bytes({1, 0x1F, 0, 0x80}), {blue, W}},
        {"half a 16-bit pixel", {2, 1, 4, 0, kPlain}, bytes({0, 0, 0}), {K, W}},
        {"part of a 24-bit pixel", {2, 1, 5, 0, kPlain}, bytes({0, 0, 0, 0, 0}), {K, W}},
        {"surplus", {1, 1, 3, 0, kPlain}, bytes({0, 0xFF, 0xFF}), {K}},
        // Layouts a format does not define are read as row order; an unknown format stays white.
        {"RGB332 in column pages", {3, 1, 3, 1, kPlain}, bytes({0, 0xFF, 0x03}), {K, W, qRgb(0, 0, 255)}},
        {"RGB332 in column words", {3, 1, 3, 2, kPlain}, bytes({0, 0xFF, 0x03}), {K, W, qRgb(0, 0, 255)}},
        {"2-bit in column words", {4, 1, 1, 2, kPlain}, bytes({0x1B}), {W, kLight, kDark, K}},
        {"format 8", {2, 1, 8, 0, kPlain}, bytes({0xFF, 0xFF}), {W, W}},
    };
    for (const Case& c : cases) check(c, rowMajor);
}

TEST(PictureDecoder, RunLengthCountZeroMeans256) {
    const QImage img = qv::decodePicture({20, 13, 7, 0, kPlain}, bytes({0x00, 0xE0, 0x07, 0x01, 0x00, 0xF8}));
    const Pixels p = rowMajor(img);
    EXPECT_EQ(Pixels(p.begin(), p.begin() + 256), Pixels(256, qRgb(0, 252, 0)));
    EXPECT_EQ(p[256], qRgb(248, 0, 0));
    EXPECT_EQ(p[257], W);
}

TEST(PictureDecoder, TwoBitRowPictureDecodesPadColumns) {
    const PictureShape shape{30, 2, qv::kFormatGrey2, qv::kVariantRows, kPlain};
    EXPECT_EQ(qv::decodedWidth(shape), 32);
    EXPECT_EQ(qv::decodedWidth({1, 1, qv::kFormatGrey2, qv::kVariantRows, kPlain}), 4);
    EXPECT_EQ(qv::decodedWidth({30, 1, qv::kFormatGrey2, qv::kVariantColumnPages, kPlain}), 30);
    EXPECT_EQ(qv::decodedWidth({30, 1, qv::kFormatMono1, qv::kVariantRows, kPlain}), 30);
    // Eight bytes a row; byte 7 holds columns 28..31, the pad columns being 2 and 3.
    QByteArray b(16, '\0');
    b[7] = char(0x0B);
    const QImage img = qv::decodePicture(shape, b);
    ASSERT_EQ(img.size(), QSize(32, 2));
    EXPECT_EQ(Pixels({img.pixel(29, 0), img.pixel(30, 0), img.pixel(31, 0), img.pixel(0, 1)}), Pixels({W, kDark, K, W}));
    EXPECT_EQ(qv::cropToWidth(img, 30), img.copy(0, 0, 30, 2));
}

TEST(PictureDecoder, ColumnLayouts) {
    const Case cases[] = {
        // Height 10: page 0 is rows 0..7, page 1 rows 8..9; plain bit k is row k of the band.
        {"1-bit pages", {2, 10, 0, 1, kPlain}, bytes({0x01, 0x80, 0xFF}),
         {K, W, W, W, W, W, W, W, K, K, /**/ W, W, W, W, W, W, W, K, W, W}},
        {"1-bit pages reversed", {2, 10, 0, 1, kReversed}, bytes({0x01, 0x80, 0xFF}),
         {W, W, W, W, W, W, W, K, K, K, /**/ K, W, W, W, W, W, W, W, W, W}},
        // 0xE4: bits 1-0 hold row 0 (0) up to bits 7-6 for row 3 (3); reversed models read 0x27.
        {"2-bit pages", {1, 4, 1, 1, kPlain}, bytes({0xE4}), {W, kLight, kDark, K}},
        {"2-bit pages reversed", {1, 4, 1, 1, kReversed}, bytes({0xE4}), {K, kLight, kDark, W}},
        {"2-bit pages run page by page", {2, 8, 1, 1, kPlain}, bytes({0x03, 0, 0, 0xC0}),
         {K, W, W, W, W, W, W, W, /**/ W, W, W, W, W, W, W, K}},
        // Words low byte first, bit k for row k of a 16-row band, on every model.
        {"1-bit words", {2, 17, 0, 2, kPlain}, bytes({0x01, 0x80, 0x02, 0x00, 0x01, 0x00}),
         {K, W, W, W, W, W, W, W, W, W, W, W, W, W, W, K, K, /**/ W, K, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W}},
        {"1-bit words reversed model", {2, 17, 0, 2, kReversed}, bytes({0x01, 0x80, 0x02, 0x00, 0x01, 0x00}),
         {K, W, W, W, W, W, W, W, W, W, W, W, W, W, W, K, K, /**/ W, K, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W}},
        {"no bytes", {2, 2, 0, 1, kPlain}, {}, {W, W, W, W}},
    };
    for (const Case& c : cases) check(c, columnMajor);
}

TEST(PictureDecoder, EmptyOrAbsurdShapesGiveNullImages) {
    for (PictureShape s : {PictureShape{0, 5, 0, 0, kPlain}, PictureShape{5, 0, 4, 0, kPlain},
                           PictureShape{-3, 2, 1, 0, kPlain}, PictureShape{65535, 65535, 0, 0, kPlain}})
        EXPECT_TRUE(qv::decodePicture(s, bytes({0xFF})).isNull()) << s.width << "x" << s.height;
}

}  // namespace
