#include "editors/bmp_file.h"

#include "image/byte_order.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

using qv::Bitmap;
using qv::readBmp;

// Fields of a bitmap file as a test wants to write them, sane or not.
struct BmpSpec {
    uint32_t headerSize = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bpp = 24;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    std::vector<QRgb> palette;
    std::vector<uint32_t> masks;   // written after a 40-byte header, inside a larger one
    std::vector<QByteArray> rows;  // stored rows, bottom-up unless height < 0; padded here
    int64_t dataOffset = -1;       // -1: right after the tables
};

void put16(QByteArray& b, int at, uint16_t v) { qv::putU16(reinterpret_cast<uint8_t*>(b.data()) + at, v); }
void put32(QByteArray& b, int at, uint32_t v) { qv::putU32(reinterpret_cast<uint8_t*>(b.data()) + at, v); }

QByteArray build(const BmpSpec& s) {
    // Room for the 40-byte fields even when a test declares a shorter header.
    QByteArray headers(14 + int(std::max<uint32_t>(s.headerSize, 40)), '\0');
    headers[0] = 'B';
    headers[1] = 'M';
    put32(headers, 14, s.headerSize);
    if (s.headerSize == 12) {
        put16(headers, 18, uint16_t(s.width));
        put16(headers, 20, uint16_t(s.height));
        put16(headers, 22, 1);
        put16(headers, 24, s.bpp);
    } else {
        put32(headers, 18, uint32_t(s.width));
        put32(headers, 22, uint32_t(s.height));
        put16(headers, 26, 1);
        put16(headers, 28, s.bpp);
        put32(headers, 30, s.compression);
        put32(headers, 46, s.colorsUsed);
    }
    headers.truncate(14 + int(s.headerSize));
    QByteArray tables;
    for (size_t i = 0; i < s.masks.size(); ++i) {
        if (s.headerSize > 40) {
            put32(headers, 54 + 4 * int(i), s.masks[i]);
        } else {
            QByteArray m(4, '\0');
            put32(m, 0, s.masks[i]);
            tables += m;
        }
    }
    for (QRgb c : s.palette) {
        tables += char(qBlue(c));
        tables += char(qGreen(c));
        tables += char(qRed(c));
        if (s.headerSize != 12) tables += '\0';
    }
    QByteArray pixels;
    for (QByteArray row : s.rows) {
        while (row.size() % 4) row += '\0';
        pixels += row;
    }
    const int64_t offset = s.dataOffset >= 0 ? s.dataOffset : headers.size() + tables.size();
    put32(headers, 10, uint32_t(offset));
    QByteArray file = headers + tables;
    while (file.size() < offset) file += '\0';
    file += pixels;
    put32(file, 2, uint32_t(file.size()));
    return file;
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values) b += char(uint8_t(v));
    return b;
}

std::vector<QRgb> row(const Bitmap& b, int y) {
    return {b.pixels.begin() + y * b.width, b.pixels.begin() + (y + 1) * b.width};
}

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kBlue = qRgb(0, 0, 255);

TEST(BmpReader, OneBitRowsCrossBytesAndRunBottomUp) {
    BmpSpec s;
    s.width = 10;
    s.height = 2;
    s.bpp = 1;
    s.palette = {kWhite, kBlack};
    s.rows = {bytes({0x80, 0x40}), bytes({0x00, 0xC0})};  // bottom row first
    QString error;
    const auto b = readBmp(build(s), &error);
    ASSERT_TRUE(b) << error.toStdString();
    EXPECT_EQ(b->bitsPerPixel, 1);
    std::vector<QRgb> top(10, kWhite), bottom(10, kWhite);
    top[8] = top[9] = kBlack;
    bottom[0] = bottom[9] = kBlack;
    EXPECT_EQ(row(*b, 0), top);
    EXPECT_EQ(row(*b, 1), bottom);
}

TEST(BmpReader, FourBitHighNibbleFirst) {
    BmpSpec s;
    s.width = 3;
    s.bpp = 4;
    s.palette.assign(16, kWhite);
    s.palette[1] = kRed;
    s.palette[2] = kGreen;
    s.palette[15] = kBlue;
    s.rows = {bytes({0x12, 0xF0})};
    const auto b = readBmp(build(s));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->bitsPerPixel, 4);
    EXPECT_EQ(row(*b, 0), (std::vector<QRgb>{kRed, kGreen, kBlue}));
}

TEST(BmpReader, EightBitShortPaletteAndIndexPastItReadsBlack) {
    BmpSpec s;
    s.width = 3;
    s.bpp = 8;
    s.colorsUsed = 2;
    s.palette = {kRed, kGreen};
    s.rows = {bytes({1, 0, 200})};
    const auto b = readBmp(build(s));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->bitsPerPixel, 8);
    EXPECT_EQ(row(*b, 0), (std::vector<QRgb>{kGreen, kRed, kBlack}));
}

TEST(BmpReader, TwentyFourBitTopDownWithRowPadding) {
    BmpSpec s;
    s.width = 2;
    s.height = -2;
    s.rows = {bytes({0, 0, 255, 0, 255, 0}), bytes({255, 0, 0, 1, 2, 3})};
    const auto b = readBmp(build(s));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->height, 2);
    EXPECT_EQ(row(*b, 0), (std::vector<QRgb>{kRed, kGreen}));
    EXPECT_EQ(row(*b, 1), (std::vector<QRgb>{kBlue, qRgb(3, 2, 1)}));
}

TEST(BmpReader, SixteenAndThirtyTwoBitKeepTheirDepth) {
    struct Case {
        const char* name;
        uint16_t bpp;
        uint32_t compression, headerSize;
        std::vector<uint32_t> masks;
        QByteArray pixel;
        QRgb expected;
    };
    const Case cases[] = {
        {"555 default", 16, 0, 40, {}, bytes({0x00, 0x7C}), kRed},
        {"565 bit fields", 16, 3, 40, {0xF800, 0x07E0, 0x001F}, bytes({0xE0, 0x07}), kGreen},
        {"565 masks in a V5 header", 16, 3, 124, {0xF800, 0x07E0, 0x001F}, bytes({0x1F, 0x00}), kBlue},
        {"32-bit default", 32, 0, 40, {}, bytes({0x10, 0x20, 0x30, 0x00}), qRgb(0x30, 0x20, 0x10)},
        {"32-bit RGBX fields", 32, 3, 40, {0xFF, 0xFF00, 0xFF0000}, bytes({0x10, 0x20, 0x30, 0x00}), qRgb(0x10, 0x20, 0x30)},
    };
    for (const Case& c : cases) {
        BmpSpec s;
        s.headerSize = c.headerSize;
        s.bpp = c.bpp;
        s.compression = c.compression;
        s.masks = c.masks;
        s.rows = {c.pixel};
        QString error;
        const auto b = readBmp(build(s), &error);
        ASSERT_TRUE(b) << c.name << ": " << error.toStdString();
        EXPECT_EQ(b->bitsPerPixel, c.bpp) << c.name;
        EXPECT_EQ(b->pixel(0, 0), c.expected) << c.name;
    }
}

TEST(BmpReader, OldCoreHeaderWithThreeBytePalette) {
    BmpSpec s;
    s.headerSize = 12;
    s.width = 2;
    s.height = 1;
    s.bpp = 1;
    s.palette = {kBlue, kRed};
    s.rows = {bytes({0x40})};
    const auto b = readBmp(build(s));
    ASSERT_TRUE(b);
    EXPECT_EQ(row(*b, 0), (std::vector<QRgb>{kBlue, kRed}));
}

TEST(BmpReader, AcceptsMissingLastRowPaddingAndGapBeforePixels) {
    BmpSpec s;
    s.rows = {bytes({1, 2, 3})};
    s.dataOffset = 80;
    QByteArray file = build(s);
    file.chop(1);  // the one padding byte of the only row
    const auto b = readBmp(file);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->pixel(0, 0), qRgb(3, 2, 1));
}

TEST(BmpReader, PixelOutsideReadsWhite) {
    BmpSpec s;
    s.rows = {bytes({0, 0, 0})};
    const auto b = readBmp(build(s));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->pixel(0, 0), kBlack);
    for (auto [x, y] : {std::pair{-1, 0}, {1, 0}, {0, 1}, {0, -1}}) EXPECT_EQ(b->pixel(x, y), kWhite);
}

TEST(BmpReader, RejectsDamagedAndHostileFiles) {
    const BmpSpec good = [] {
        BmpSpec s;
        s.width = 2;
        s.height = 2;
        s.bpp = 8;
        s.palette = {kBlack, kWhite};
        s.rows = {bytes({0, 1}), bytes({1, 0})};
        return s;
    }();
    ASSERT_TRUE(readBmp(build(good)));
    struct Case {
        const char* name;
        std::function<void(BmpSpec&)> change;
    };
    const Case cases[] = {
        {"RLE8", [](BmpSpec& s) { s.compression = 1; }},
        {"RLE4", [](BmpSpec& s) { s.compression = 2, s.bpp = 4; }},
        {"PNG inside", [](BmpSpec& s) { s.compression = 5; }},
        {"bit fields on 8 bits", [](BmpSpec& s) { s.compression = 3; }},
        {"zero width", [](BmpSpec& s) { s.width = 0; }},
        {"negative width", [](BmpSpec& s) { s.width = -2; }},
        {"zero height", [](BmpSpec& s) { s.height = 0; }},
        {"absurd size", [](BmpSpec& s) { s.width = 100000, s.height = 100000; }},
        {"most negative height", [](BmpSpec& s) { s.height = INT32_MIN; }},
        {"2 bits per pixel", [](BmpSpec& s) { s.bpp = 2; }},
        {"0 bits per pixel", [](BmpSpec& s) { s.bpp = 0; }},
        {"unknown header size", [](BmpSpec& s) { s.headerSize = 20; }},
        {"offset into the header", [](BmpSpec& s) { s.dataOffset = 20; }},
        {"pixels past the end", [](BmpSpec& s) { s.height = 3; }},
        {"no room for a palette", [](BmpSpec& s) { s.palette.clear(), s.dataOffset = 54; }},
    };
    for (const Case& c : cases) {
        BmpSpec s = good;
        c.change(s);
        QString error;
        EXPECT_FALSE(readBmp(build(s), &error)) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
    QByteArray badSignature = build(good);
    badSignature[0] = 'X';
    EXPECT_FALSE(readBmp(badSignature));
}

// Run under the sanitizers, these prove the reader never looks past the bytes it is given.
TEST(BmpReader, EveryTruncationAndHeaderByteFlipIsSafe) {
    BmpSpec s;
    s.width = 5;
    s.height = 3;
    s.bpp = 4;
    s.palette.assign(16, kRed);
    s.rows.assign(3, bytes({0x12, 0x34, 0x50}));
    const QByteArray file = build(s);
    for (int n = 0; n < file.size() - 1; ++n) EXPECT_FALSE(readBmp(QByteArrayView(file.constData(), n))) << n;
    for (int at = 0; at < 54 + 64; ++at) {
        for (int value : {0x00, 0x7F, 0x80, 0xFF}) {
            QByteArray mutated = file;
            mutated[at] = char(value);
            if (auto b = readBmp(mutated)) {
                EXPECT_EQ(b->pixels.size(), size_t(b->width) * size_t(b->height));
            }
        }
    }
}

TEST(BmpWriter, TwentyFourBitBottomUpLayout) {
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, kRed);
    img.setPixel(1, 0, kGreen);
    img.setPixel(0, 1, kBlue);
    img.setPixel(1, 1, qRgb(1, 2, 3));
    const QByteArray f = qv::writeBmp24(img);
    const auto* p = reinterpret_cast<const uint8_t*>(f.constData());
    ASSERT_EQ(f.size(), 54 + 2 * 8);
    EXPECT_EQ(f.left(2), "BM");
    EXPECT_EQ(qv::getU32(p + 2), 70u);
    EXPECT_EQ(qv::getU32(p + 10), 54u);
    EXPECT_EQ(qv::getU32(p + 14), 40u);
    EXPECT_EQ(int32_t(qv::getU32(p + 22)), 2);  // positive height: bottom-up
    EXPECT_EQ(qv::getU16(p + 28), 24);
    EXPECT_EQ(qv::getU32(p + 30), 0u);
    EXPECT_EQ(qv::getU32(p + 34), 16u);
    EXPECT_EQ(qv::getU32(p + 38), 2835u);
    EXPECT_EQ(qv::getU32(p + 42), 2835u);
    EXPECT_EQ(f.mid(54), bytes({255, 0, 0, 3, 2, 1, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0}));
    const auto back = readBmp(f);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->bitsPerPixel, 24);
    EXPECT_EQ(row(*back, 0), (std::vector<QRgb>{kRed, kGreen}));
}

TEST(BmpWriter, FileRoundTripAndFailures) {
    qvtest::ScratchDir dir;
    QImage img(3, 1, QImage::Format_RGB32);
    img.fill(kGreen);
    QString error;
    ASSERT_TRUE(qv::writeBmp24File(img, dir.path("out.bmp"), &error)) << error.toStdString();
    const auto b = qv::readBmpFile(dir.path("out.bmp"), &error);
    ASSERT_TRUE(b) << error.toStdString();
    EXPECT_EQ(row(*b, 0), std::vector<QRgb>(3, kGreen));

    EXPECT_FALSE(qv::writeBmp24File(img, dir.path("missing/out.bmp"), &error));
    EXPECT_TRUE(error.contains("missing"));
    EXPECT_FALSE(qv::writeBmp24File(QImage(), dir.path("null.bmp"), &error));
    EXPECT_FALSE(qv::readBmpFile(dir.path("nothing.bmp"), &error));
    EXPECT_TRUE(error.contains("nothing.bmp"));
}

}  // namespace
