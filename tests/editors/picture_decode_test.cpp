#include "editors/picture_codec.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using qv::PictureShape;

constexpr uint16_t kPlain = 5;      // a plain-order model
constexpr uint16_t kReversed = 6;   // reversed order without the literal swap
constexpr uint16_t kSwapModel = 4;  // reversed order and swapped run-length literals

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values) b += char(uint8_t(v));
    return b;
}

QImage decode(int w, int h, uint8_t format, uint8_t variant, uint16_t type, const QByteArray& b) {
    return qv::decodePicture(PictureShape{w, h, format, variant, type}, b);
}

// The picture's pixels in row order.
std::vector<QRgb> pixels(const QImage& img) {
    std::vector<QRgb> out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) out.push_back(img.pixel(x, y));
    return out;
}

std::vector<QRgb> column(const QImage& img, int x) {
    std::vector<QRgb> out;
    for (int y = 0; y < img.height(); ++y) out.push_back(img.pixel(x, y));
    return out;
}

QRgb grey(int v) { return qRgb(v, v, v); }

TEST(PictureDecoder, ReversedOrderModels) {
    for (uint16_t t = 0; t < 10; ++t) EXPECT_EQ(qv::isReversedOrderModel(t), t == 4 || t == 6 || t == 8) << t;
}

TEST(PictureDecoder, TwoBitRowPictureDecodesPadColumns) {
    const PictureShape shape{30, 2, qv::kFormatGrey2, qv::kVariantRows, kPlain};
    EXPECT_EQ(qv::decodedWidth(shape), 32);
    // 8 bytes per row; the last byte of row 0 holds columns 28..31, the pad pixels being 2 and 3.
    QByteArray b(16, '\0');
    b[7] = char(0x0B);
    const QImage img = qv::decodePicture(shape, b);
    ASSERT_EQ(img.size(), QSize(32, 2));
    EXPECT_EQ(img.pixel(29, 0), kWhite);
    EXPECT_EQ(img.pixel(30, 0), grey(85));
    EXPECT_EQ(img.pixel(31, 0), kBlack);
    EXPECT_EQ(img.pixel(0, 1), kWhite);
    EXPECT_EQ(qv::cropToWidth(img, 30).size(), QSize(30, 2));
    EXPECT_EQ(qv::cropToWidth(img, 30).pixel(29, 0), kWhite);
}

TEST(PictureDecoder, WidthIsRoundedOnlyForTwoBitRows) {
    EXPECT_EQ(qv::decodedWidth({30, 1, qv::kFormatGrey2, qv::kVariantColumnPages, kPlain}), 30);
    EXPECT_EQ(qv::decodedWidth({30, 1, qv::kFormatMono1, qv::kVariantRows, kPlain}), 30);
    EXPECT_EQ(qv::decodedWidth({32, 1, qv::kFormatGrey2, qv::kVariantRows, kPlain}), 32);
    EXPECT_EQ(qv::decodedWidth({1, 1, qv::kFormatGrey2, qv::kVariantRows, kPlain}), 4);
}

TEST(PictureDecoder, OneBitRowsAreNotByteAligned) {
    // Pixel 10 (row 1, column 0) is bit 5 of byte 1, or bit 2 once a reversed model flips the byte.
    for (auto [type, byte1] : {std::pair{kPlain, 0x20}, std::pair{kReversed, 0x04}}) {
        const QImage img = decode(10, 2, qv::kFormatMono1, qv::kVariantRows, type, bytes({0x00, byte1, 0x00}));
        std::vector<QRgb> expected(20, kWhite);
        expected[10] = kBlack;
        EXPECT_EQ(pixels(img), expected) << type;
    }
}

TEST(PictureDecoder, TwoAndFourBitGreyLevels) {
    // 0x1B = values 0,1,2,3 in plain order; reversed models read it as 0xD8 = 3,1,2,0.
    EXPECT_EQ(pixels(decode(4, 1, qv::kFormatGrey2, 0, kPlain, bytes({0x1B}))),
              (std::vector<QRgb>{kWhite, grey(170), grey(85), kBlack}));
    EXPECT_EQ(pixels(decode(4, 1, qv::kFormatGrey2, 0, kReversed, bytes({0x1B}))),
              (std::vector<QRgb>{kBlack, grey(170), grey(85), kWhite}));
    // 4-bit grey has no model-dependent order.
    for (uint16_t type : {kPlain, kReversed})
        EXPECT_EQ(pixels(decode(3, 1, qv::kFormatGrey4, 0, type, bytes({0x0F, 0x80}))),
                  (std::vector<QRgb>{kWhite, grey(15), grey(127)}));
}

TEST(PictureDecoder, Rgb332Expansion) {
    const std::pair<int, QRgb> cases[] = {
        {0x00, kBlack},
        {0xFF, kWhite},
        {0x20, qRgb(63, 0, 0)},
        {0x40, qRgb(64, 0, 0)},
        {0xE0, qRgb(255, 0, 0)},
        {0x04, qRgb(0, 63, 0)},
        {0x18, qRgb(0, 192, 0)},
        {0x01, qRgb(0, 0, 127)},
        {0x02, qRgb(0, 0, 128)},
        {0x03, qRgb(0, 0, 255)},
    };
    for (auto [byte, rgb] : cases)
        EXPECT_EQ(decode(1, 1, qv::kFormatRgb332, 0, kPlain, bytes({byte})).pixel(0, 0), rgb) << byte;
}

TEST(PictureDecoder, Rgb565ByteOrderAndExpansion) {
    const struct {
        uint16_t type;
        QByteArray pair;
        QRgb rgb;
    } cases[] = {
        {kPlain, bytes({0xF8, 0x00}), qRgb(248, 0, 0)},
        {kReversed, bytes({0xF8, 0x00}), qRgb(0, 28, 192)},
        {kSwapModel, bytes({0xF8, 0x00}), qRgb(0, 28, 192)},
        {8, bytes({0xF8, 0x00}), qRgb(0, 28, 192)},
        {3, bytes({0xF8, 0x00}), qRgb(248, 0, 0)},
        {kPlain, bytes({0xFF, 0xFF}), qRgb(248, 252, 248)},
        {kPlain, bytes({0x07, 0xE0}), qRgb(0, 252, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decode(1, 1, qv::kFormatRgb565, 0, c.type, c.pair).pixel(0, 0), c.rgb) << c.type;
}

TEST(PictureDecoder, TwentyFourAndThirtyTwoBitAreBlueFirst) {
    EXPECT_EQ(pixels(decode(2, 1, qv::kFormatBgr24, 0, kReversed, bytes({1, 2, 3, 4, 5, 6}))),
              (std::vector<QRgb>{qRgb(3, 2, 1), qRgb(6, 5, 4)}));
    EXPECT_EQ(pixels(decode(2, 1, qv::kFormatBgrx32, 0, kReversed, bytes({1, 2, 3, 9, 4, 5, 6, 9}))),
              (std::vector<QRgb>{qRgb(3, 2, 1), qRgb(6, 5, 4)}));
}

TEST(PictureDecoder, RunLengthRunsAndLiterals) {
    const QByteArray stream = bytes({0x03, 0x1F, 0x00, 0xF8, 0x00});
    const QRgb blue = qRgb(0, 0, 248);
    // Runs take their value low byte first on every model; only model 4 swaps the literal.
    for (auto [type, literal] : {std::pair{kPlain, qRgb(248, 0, 0)}, std::pair{kReversed, qRgb(248, 0, 0)},
                                 std::pair{kSwapModel, qRgb(0, 28, 192)}}) {
        // Three pixels wide: the run fills row 0, the literal starts row 1.
        EXPECT_EQ(pixels(decode(3, 2, qv::kFormatRunLength565, 0, type, stream)),
                  (std::vector<QRgb>{blue, blue, blue, literal, kWhite, kWhite}))
            << type;
    }
}

TEST(PictureDecoder, RunLengthCountZeroMeans256) {
    const QImage img = decode(20, 13, qv::kFormatRunLength565, 0, kPlain, bytes({0x00, 0xE0, 0x07, 0x01, 0x00, 0xF8}));
    const auto p = pixels(img);
    for (int k = 0; k < 256; ++k) ASSERT_EQ(p[size_t(k)], qRgb(0, 252, 0)) << k;
    EXPECT_EQ(p[256], qRgb(248, 0, 0));
    EXPECT_EQ(p[257], kWhite);
}

TEST(PictureDecoder, RunLengthCutShortStopsCleanly) {
    // A run header without its value, then a literal without its second byte: nothing is drawn.
    EXPECT_EQ(pixels(decode(2, 1, qv::kFormatRunLength565, 0, kPlain, bytes({0x02, 0x1F}))),
              (std::vector<QRgb>{kWhite, kWhite}));
    EXPECT_EQ(pixels(decode(2, 1, qv::kFormatRunLength565, 0, kPlain, bytes({0x01, 0x1F, 0x00, 0x80}))),
              (std::vector<QRgb>{qRgb(0, 0, 248), kWhite}));
}

TEST(PictureDecoder, MissingBytesLeaveWhiteAndSurplusIsIgnored) {
    // Odd byte count: the second 16-bit pixel has only one byte.
    EXPECT_EQ(pixels(decode(2, 1, qv::kFormatRgb565, 0, kPlain, bytes({0x00, 0x00, 0x00}))),
              (std::vector<QRgb>{kBlack, kWhite}));
    EXPECT_EQ(pixels(decode(2, 1, qv::kFormatBgr24, 0, kPlain, bytes({0, 0, 0, 0, 0}))),
              (std::vector<QRgb>{kBlack, kWhite}));
    EXPECT_EQ(pixels(decode(1, 1, qv::kFormatRgb332, 0, kPlain, bytes({0x00, 0xFF, 0xFF}))),
              (std::vector<QRgb>{kBlack}));
    EXPECT_EQ(pixels(decode(2, 2, qv::kFormatMono1, qv::kVariantColumnPages, kPlain, {})),
              std::vector<QRgb>(4, kWhite));
}

TEST(PictureDecoder, EmptyShapesGiveNullImages) {
    EXPECT_TRUE(decode(0, 5, qv::kFormatMono1, 0, kPlain, bytes({0xFF})).isNull());
    EXPECT_TRUE(decode(5, 0, qv::kFormatRgb565, 0, kPlain, bytes({0xFF})).isNull());
    EXPECT_TRUE(decode(-3, 2, qv::kFormatGrey2, 0, kPlain, bytes({0xFF})).isNull());
    EXPECT_TRUE(decode(65535, 65535, qv::kFormatMono1, 0, kPlain, bytes({0xFF})).isNull());
}

TEST(PictureDecoder, MonoColumnPagesBothOrders) {
    // Height 10: page 0 holds rows 0..7, page 1 rows 8..9 (its bits for rows 10..15 are dropped).
    const QByteArray b = bytes({0x01, 0x80, 0xFF});
    const QImage plain = decode(2, 10, qv::kFormatMono1, qv::kVariantColumnPages, kPlain, b);
    std::vector<QRgb> col0(10, kWhite), col1(10, kWhite);
    col0[0] = col0[8] = col0[9] = kBlack;  // byte 0x01 is the band's top row
    col1[7] = kBlack;                      // byte 0x80 its bottom row
    EXPECT_EQ(column(plain, 0), col0);
    EXPECT_EQ(column(plain, 1), col1);

    const QImage reversed = decode(2, 10, qv::kFormatMono1, qv::kVariantColumnPages, kReversed, b);
    std::vector<QRgb> rcol0(10, kWhite), rcol1(10, kWhite);
    rcol0[7] = rcol0[8] = rcol0[9] = kBlack;
    rcol1[0] = kBlack;
    EXPECT_EQ(column(reversed, 0), rcol0);
    EXPECT_EQ(column(reversed, 1), rcol1);
}

TEST(PictureDecoder, GreyColumnPagesBothOrders) {
    // 0xE4: bits 1-0 = 0 (row 0) up to bits 7-6 = 3 (row 3); reversed models read it as 0x27.
    const QByteArray b = bytes({0xE4});
    EXPECT_EQ(column(decode(1, 4, qv::kFormatGrey2, qv::kVariantColumnPages, kPlain, b), 0),
              (std::vector<QRgb>{kWhite, grey(170), grey(85), kBlack}));
    EXPECT_EQ(column(decode(1, 4, qv::kFormatGrey2, qv::kVariantColumnPages, kReversed, b), 0),
              (std::vector<QRgb>{kBlack, grey(170), grey(85), kWhite}));
    // Pages run top to bottom, columns left to right within a page.
    const QImage two = decode(2, 8, qv::kFormatGrey2, qv::kVariantColumnPages, kPlain, bytes({0x03, 0x00, 0x00, 0xC0}));
    EXPECT_EQ(two.pixel(0, 0), kBlack);
    EXPECT_EQ(two.pixel(1, 7), kBlack);
    EXPECT_EQ(two.pixel(1, 0), kWhite);
}

TEST(PictureDecoder, SixteenRowColumnWordsIgnoreModelOrder) {
    // Word 0x8001 (low byte first): rows 0 and 15; then column 1: word 0x0002, row 1.
    for (uint16_t type : {kPlain, kReversed}) {
        const QImage img = decode(2, 17, qv::kFormatMono1, qv::kVariantColumnWords, type,
                                  bytes({0x01, 0x80, 0x02, 0x00, 0x01, 0x00}));
        std::vector<QRgb> col0(17, kWhite), col1(17, kWhite);
        col0[0] = col0[15] = col0[16] = kBlack;
        col1[1] = kBlack;
        EXPECT_EQ(column(img, 0), col0) << type;
        EXPECT_EQ(column(img, 1), col1) << type;
    }
}

TEST(PictureDecoder, UndefinedLayoutsReadAsRows) {
    const QByteArray b = bytes({0xE0, 0x1C, 0x03});
    const std::vector<QRgb> rows = pixels(decode(3, 1, qv::kFormatRgb332, qv::kVariantRows, kPlain, b));
    for (uint8_t variant : {1, 2, 9})
        EXPECT_EQ(pixels(decode(3, 1, qv::kFormatRgb332, variant, kPlain, b)), rows) << int(variant);
    EXPECT_EQ(pixels(decode(4, 1, qv::kFormatGrey2, qv::kVariantColumnWords, kPlain, bytes({0x1B}))),
              (std::vector<QRgb>{kWhite, grey(170), grey(85), kBlack}));
    EXPECT_EQ(pixels(decode(2, 1, 8, 0, kPlain, bytes({0xFF, 0xFF}))), std::vector<QRgb>(2, kWhite));
}

}  // namespace
