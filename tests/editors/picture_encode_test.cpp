// The picture import rule: what the decoder shows of the stored bytes is the image reduced to the
// format's colours, in every layout and phone order, from every source depth.
#include "editors/picture_codec.h"
#include "editors/picture_encoder.h"
#include "editors/picture_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

namespace {

using qv::Bitmap;
using qv::PictureImport;
using qv::PictureShape;

constexpr uint16_t kPlain = 5;
constexpr uint16_t kReversed = 8;
constexpr uint16_t kLiteralSwap = 4;  // reversed order, and literals low byte first
const QRgb kWhite = qRgb(255, 255, 255), kBlack = qRgb(0, 0, 0);

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values) b += char(uint8_t(v));
    return b;
}

Bitmap bitmap(int bpp, int w, int h, const std::function<QRgb(int, int)>& colour) {
    Bitmap b{w, h, bpp, {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.pixels.push_back(colour(x, y) | 0xFF000000u);
    return b;
}
Bitmap filled(int bpp, int w, int h, QRgb c) {
    return bitmap(bpp, w, h, [c](int, int) { return c; });
}
Bitmap fromImage(int bpp, const QImage& img) {
    return bitmap(bpp, img.width(), img.height(), [&](int x, int y) { return img.pixel(x, y); });
}

QByteArray encode(const PictureShape& s, const Bitmap& b, int size) {
    const PictureImport r = qv::importImage(s, size, b);
    EXPECT_FALSE(r.refused()) << r.status.message().toStdString();
    EXPECT_EQ(r.bytes.size(), size);
    return r.bytes;
}

// ---- Where the documented encoder already wrote what the decoder shows, its bytes stay ----

TEST(PictureEncoder, TwoColourColumnPages) {
    // 16 × 12 all black: page 0 full; page 1 has rows 8..11 only, rows 12..15 stay clear.
    const Bitmap black = filled(1, 16, 12, kBlack);
    EXPECT_EQ(encode({16, 12, 0, 1, kPlain}, black, 32), QByteArray(16, char(0xFF)) + QByteArray(16, char(0x0F)));
    EXPECT_EQ(encode({16, 12, 0, 1, kReversed}, black, 32), QByteArray(16, char(0xFF)) + QByteArray(16, char(0xF0)));
    // Row 1 is bit 1, or bit 6 on reversed models; from a 2-colour image only exact black sets a bit.
    const Bitmap row1 = bitmap(1, 2, 8, [](int x, int y) { return y == 1 ? (x ? qRgb(0, 0, 1) : kBlack) : kWhite; });
    EXPECT_EQ(encode({2, 8, 0, 1, kPlain}, row1, 2), bytes({0x02, 0x00}));
    EXPECT_EQ(encode({2, 8, 0, 1, kReversed}, row1, 2), bytes({0x40, 0x00}));
    // From any other depth a grey level below 128 is black.
    EXPECT_EQ(encode({1, 8, 0, 1, kPlain}, bitmap(24, 1, 8, [](int, int y) { return y ? kWhite : qRgb(127, 127, 127); }), 1),
              bytes({0x01}));
    EXPECT_EQ(encode({1, 8, 0, 1, kPlain}, bitmap(8, 1, 8, [](int, int y) { return y ? kWhite : qRgb(128, 128, 128); }), 1),
              bytes({0x00}));
    EXPECT_EQ(encode({2, 8, 0, 1, kPlain}, fromImage(24, qv::decodePicture({2, 8, 3, 0, kPlain}, QByteArray(16, 0x20))), 2),
              bytes({0xFF, 0xFF}));
}

TEST(PictureEncoder, SixteenColourGreyBands) {
    // The red component of a 16-colour image picks the band; the gaps go to the nearer band.
    const std::pair<int, int> cases[] = {{0, 3},   {64, 3},  {83, 3},  {84, 2},  {103, 2}, {104, 2}, {160, 2},
                                         {163, 2}, {164, 1}, {168, 1}, {208, 1}, {211, 1}, {212, 0}, {216, 0}};
    for (auto [red, q] : cases)
        EXPECT_EQ(encode({4, 1, 1, 0, kPlain}, filled(4, 4, 1, qRgb(red, 255 - red, 0)), 1), bytes({q * 0x55})) << red;
    // Mid grey of the standard palette: 2, which decodes as (85,85,85); the pad pixels are white.
    EXPECT_EQ(encode({1, 1, 1, 0, kPlain}, filled(4, 1, 1, qRgb(128, 128, 128)), 1), bytes({0x80}));
    // Rows 0..3 white, silver, grey, black in a band of 4: 3·64 + 2·16 + 1·4 + 0; 5 wide rows take two bytes each.
    const QRgb greys[] = {kWhite, qRgb(192, 192, 192), qRgb(128, 128, 128), kBlack};
    const Bitmap band = bitmap(4, 1, 4, [&](int, int y) { return greys[y]; });
    EXPECT_EQ(encode({1, 4, 1, 1, kPlain}, band, 1), bytes({0xE4}));
    EXPECT_EQ(encode({5, 2, 1, 0, kPlain}, filled(4, 5, 2, kBlack), 4), bytes({0xFF, 0xC0, 0xFF, 0xC0}));
    // Reversed-order models read the same bytes bit-reversed.
    EXPECT_EQ(encode({1, 4, 1, 1, kReversed}, band, 1), bytes({0x27}));
    EXPECT_EQ(encode({5, 2, 1, 0, kReversed}, filled(4, 5, 2, kBlack), 4), bytes({0xFF, 0x03, 0xFF, 0x03}));
}

TEST(PictureEncoder, TrueColourKeepsEveryRgb332AndRgb565Value) {
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

// ---- What the decoder reads, where the documented encoder wrote something else ----

TEST(PictureEncoder, TrueColourAndRunLengthBytes) {
    const QRgb c = qRgb(0x12, 0x34, 0x56);
    EXPECT_EQ(encode({1, 1, 5, 0, kPlain}, filled(8, 1, 1, c), 3), bytes({0x56, 0x34, 0x12}));
    EXPECT_EQ(encode({1, 1, 6, 0, kReversed}, filled(4, 1, 1, c), 4), bytes({0x56, 0x34, 0x12, 0x00}));
    // 300 blue pixels: a run of 256 (count 0) and one of 44, the value low byte first; padded with zeros.
    EXPECT_EQ(encode({30, 10, 7, 0, kPlain}, filled(24, 30, 10, qRgb(0, 0, 255)), 8),
              bytes({0x00, 0x1F, 0x00, 44, 0x1F, 0x00, 0, 0}));
    // 80 pixels: 79 and a single one, which is a literal where its first byte is 0x50 or more.
    const struct {
        uint16_t type;
        QRgb colour;
        QByteArray tail;
    } singles[] = {{kPlain, qRgb(255, 0, 0), bytes({0xF8, 0x00})},           // high byte first
                   {kReversed, qRgb(255, 0, 0), bytes({0xF8, 0x00})},        // only model 4 swaps literals
                   {kLiteralSwap, qRgb(255, 0, 0), bytes({0x01, 0x00, 0xF8})},  // low byte 0x00 can not start one
                   {kLiteralSwap, qRgb(0, 8, 248), bytes({0x5F, 0x00})},        // 0x005F
                   {kPlain, qRgb(0, 8, 248), bytes({0x01, 0x5F, 0x00})}};
    for (const auto& s : singles) {
        const QByteArray run = encode({80, 1, 7, 0, s.type}, filled(24, 80, 1, s.colour), 3 + int(s.tail.size()));
        EXPECT_EQ(run.mid(3), s.tail) << s.type << " " << std::hex << s.colour;
    }
}

// ---- The property: every layout × phone order × source depth gives back what went in ----

struct Layout {
    uint8_t format, variant;
};
constexpr Layout kLayouts[] = {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}};

// A picture of the format's own colours (decoded random bytes) with at most 2^bits of them,
// as a bitmap of that depth can hold.
QImage formatColours(const PictureShape& s, int bits, std::mt19937& random) {
    QByteArray noise(4 * s.width * s.height + 8, '\0');
    for (char& b : noise) b = char(random() % 7 == 0 ? 0x03 : random());  // short runs for format 7
    QImage img = qv::cropToWidth(qv::decodePicture(s, noise), s.width);
    if (bits >= 16) return img;
    std::vector<QRgb> pool;
    for (int y = 0; y < img.height() && pool.size() < (1u << bits); ++y)
        for (int x = 0; x < img.width() && pool.size() < (1u << bits); ++x)
            if (std::find(pool.begin(), pool.end(), img.pixel(x, y)) == pool.end()) pool.push_back(img.pixel(x, y));
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, pool[random() % pool.size()]);
    return img;
}

// decode(encode(x)) == x for x in the format's colours, and decode(encode(decode(encode(y))))
// gives the bytes of encode(y) for any y.
TEST(PictureEncoder, EveryLayoutOrderAndDepthDecodesToWhatWentIn) {
    std::mt19937 random(18);
    for (const Layout& l : kLayouts)
        for (uint16_t type : {kPlain, kReversed, kLiteralSwap})
            for (int bits : {1, 4, 8, 16, 24, 32})
                for (int round = 0; round < 3; ++round) {
                    const PictureShape s{int(1 + random() % 21), int(1 + random() % 21), l.format, l.variant, type};
                    const QImage in = formatColours(s, bits, random);
                    const int place = 4 * s.width * s.height + 12;
                    const PictureImport r = qv::importImage(s, place, fromImage(bits, in));
                    const std::string what = QStringLiteral("format %1/%2 type %3 %4-bit %5x%6")
                                                 .arg(l.format).arg(l.variant).arg(type).arg(bits).arg(s.width).arg(s.height)
                                                 .toStdString();
                    ASSERT_FALSE(r.refused()) << what;
                    EXPECT_EQ(qv::cropToWidth(qv::decodePicture(s, r.bytes), s.width), in) << what;
                    EXPECT_EQ(r.shown, in) << what;
                    // The bytes past the encoding are zeros, and the encoding alone decodes the same.
                    const QByteArray exact = qv::encodePicture(s, fromImage(bits, in));
                    EXPECT_EQ(r.bytes, exact + QByteArray(place - exact.size(), '\0')) << what;
                    // Any colour is reduced once and for all: what the phone shows imports back to the same bytes.
                    const Bitmap noise = bitmap(bits, s.width, s.height, [&](int, int) { return QRgb(random()); });
                    const PictureImport any = qv::importImage(s, place, noise);
                    EXPECT_EQ(qv::importImage(s, place, fromImage(24, any.shown)).bytes, any.bytes) << what;
                }
}

// ---- Refusals: nothing is stored ----

TEST(PictureEncoder, RefusesAnotherSizeAndWhatDoesNotFitItsPlace) {
    // Four white literals and four one-pixel runs of black: one byte short, then just enough.
    const Bitmap stripes = bitmap(24, 4, 2, [](int x, int) { return x % 2 ? kBlack : kWhite; });
    const struct {
        PictureShape shape;
        qint64 place;
        Bitmap image;
        qv::ResultCode code;
        const char* message;
        bool shown;  // what it would show, to compare with what the picture shows
    } cases[] = {
        {{128, 160, 4, 0, kPlain}, 40960, filled(24, 100, 100, kWhite), qv::ResultCode::Refused,
         "the image is 100x100, the picture 128x160", false},
        {{100, 100, 5, 0, kPlain}, 11605, filled(24, 100, 100, kWhite), qv::ResultCode::TooLarge,
         "this picture needs 30,000 bytes in its format; its place holds 11,605", true},
        {{4, 2, 7, 0, kPlain}, 19, stripes, qv::ResultCode::TooLarge, "this picture needs 20 bytes in its format; its place holds 19", true},
        {{1, 1, 9, 0, kPlain}, 8, filled(24, 1, 1, kWhite), qv::ResultCode::UnsupportedFormat, "the picture's format 9 is unknown", false},
    };
    for (const auto& c : cases) {
        const PictureImport r = qv::importImage(c.shape, c.place, c.image);
        EXPECT_EQ(r.status.code(), c.code) << c.message;
        EXPECT_EQ(r.status.message(), c.message);
        EXPECT_TRUE(r.bytes.isEmpty()) << c.message;
        EXPECT_EQ(!r.shown.isNull(), c.shown) << c.message;
    }
    EXPECT_FALSE(qv::importImage({4, 2, 7, 0, kPlain}, 20, stripes).refused());
}

}  // namespace
