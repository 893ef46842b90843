#include "editors/bmp_file.h"

#include "image/byte_order.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <vector>

namespace {

using qv::readBmp;
using Rows = std::vector<std::vector<QRgb>>;

const QRgb kBlack = qRgb(0, 0, 0), kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255);

// Fields of a bitmap file as a test wants to write them, sane or not.
struct BmpLayout {
    uint32_t headerSize = 40;
    int32_t width = 1, height = 1;
    uint16_t bpp = 24;
    uint32_t compression = 0, colorsUsed = 0;
    std::vector<QRgb> palette;
    std::vector<uint32_t> masks;   // after a 40-byte header, inside a larger one
    std::vector<QByteArray> rows;  // as stored (bottom row first unless height < 0); padded here
    int64_t dataOffset = -1;       // -1: right after the tables
};

void put(QByteArray& b, int at, uint32_t v, int size) {
    for (int i = 0; i < size; ++i) b[at + i] = char(v >> (8 * i));
}

QByteArray build(const BmpLayout& s) {
    // Room for the 40-byte fields even when a test declares a shorter header.
    QByteArray file(14 + int(std::max<uint32_t>(s.headerSize, 40)), '\0');
    file[0] = 'B', file[1] = 'M';
    put(file, 14, s.headerSize, 4);
    const bool core = s.headerSize == 12;
    put(file, 18, uint32_t(s.width), core ? 2 : 4);
    put(file, core ? 20 : 22, uint32_t(s.height), core ? 2 : 4);
    put(file, core ? 24 : 28, s.bpp, 2);
    if (!core) put(file, 30, s.compression, 4), put(file, 46, s.colorsUsed, 4);
    file.truncate(14 + int(s.headerSize));
    for (size_t i = 0; i < s.masks.size(); ++i) {
        if (s.headerSize == 40) file += QByteArray(4, '\0');
        put(file, 54 + 4 * int(i), s.masks[i], 4);
    }
    for (QRgb c : s.palette) {
        file += char(qBlue(c)), file += char(qGreen(c)), file += char(qRed(c));
        if (!core) file += '\0';
    }
    const int64_t offset = s.dataOffset >= 0 ? s.dataOffset : file.size();
    put(file, 10, uint32_t(offset), 4);
    while (file.size() < offset) file += '\0';
    for (QByteArray row : s.rows) file += row + QByteArray((4 - row.size() % 4) % 4, '\0');
    put(file, 2, uint32_t(file.size()), 4);
    return file;
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values) b += char(uint8_t(v));
    return b;
}

Rows rowsOf(const qv::Bitmap& b) {
    Rows out(size_t(b.height));
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) out[size_t(y)].push_back(b.pixel(x, y));
    return out;
}

BmpLayout layout(std::function<void(BmpLayout&)> change) {
    BmpLayout s;
    change(s);
    return s;
}

TEST(BmpReader, ReadsEveryDepthAndRowOrder) {
    std::vector<QRgb> greyPalette(16, kWhite);
    greyPalette[1] = kRed, greyPalette[2] = kGreen, greyPalette[15] = kBlue;
    const struct Case {
        const char* name;
        BmpLayout shape;
        int bpp;
        Rows expected;
    } cases[] = {
        {"1-bit, rows cross a byte, bottom-up", layout([](BmpLayout& s) {
             s.width = 10, s.height = 2, s.bpp = 1, s.palette = {kWhite, kBlack};
             s.rows = {bytes({0x80, 0x40}), bytes({0x00, 0xC0})};
         }),
         1, {{kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kBlack, kBlack},
             {kBlack, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kBlack}}},
        {"4-bit, high nibble first", layout([&](BmpLayout& s) {
             s.width = 3, s.bpp = 4, s.palette = greyPalette, s.rows = {bytes({0x12, 0xF0})};
         }),
         4, {{kRed, kGreen, kBlue}}},
        {"8-bit, short palette, index past it is black", layout([](BmpLayout& s) {
             s.width = 3, s.bpp = 8, s.colorsUsed = 2, s.palette = {kRed, kGreen}, s.rows = {bytes({1, 0, 200})};
         }),
         8, {{kGreen, kRed, kBlack}}},
        {"24-bit top-down with padding", layout([](BmpLayout& s) {
             s.width = 2, s.height = -2, s.rows = {bytes({0, 0, 255, 0, 255, 0}), bytes({255, 0, 0, 1, 2, 3})};
         }),
         24, {{kRed, kGreen}, {kBlue, qRgb(3, 2, 1)}}},
        {"16-bit 555", layout([](BmpLayout& s) { s.bpp = 16, s.rows = {bytes({0x00, 0x7C})}; }), 16, {{kRed}}},
        {"16-bit 565 fields", layout([](BmpLayout& s) {
             s.bpp = 16, s.compression = 3, s.masks = {0xF800, 0x07E0, 0x001F}, s.rows = {bytes({0xE0, 0x07})};
         }),
         16, {{kGreen}}},
        {"16-bit 565 fields in a V5 header", layout([](BmpLayout& s) {
             s.headerSize = 124, s.bpp = 16, s.compression = 3, s.masks = {0xF800, 0x07E0, 0x001F};
             s.rows = {bytes({0x1F, 0x00})};
         }),
         16, {{kBlue}}},
        {"32-bit", layout([](BmpLayout& s) { s.bpp = 32, s.rows = {bytes({0x10, 0x20, 0x30, 0})}; }), 32,
         {{qRgb(0x30, 0x20, 0x10)}}},
        {"32-bit RGBX fields", layout([](BmpLayout& s) {
             s.bpp = 32, s.compression = 3, s.masks = {0xFF, 0xFF00, 0xFF0000}, s.rows = {bytes({0x10, 0x20, 0x30, 0})};
         }),
         32, {{qRgb(0x10, 0x20, 0x30)}}},
        {"old core header, 3-byte palette", layout([](BmpLayout& s) {
             s.headerSize = 12, s.width = 2, s.bpp = 1, s.palette = {kBlue, kRed}, s.rows = {bytes({0x40})};
         }),
         1, {{kBlue, kRed}}},
    };
    for (const Case& c : cases) {
        const auto b = readBmp(build(c.shape));
        ASSERT_TRUE(b) << c.name << ": " << b.error().message().toStdString();
        EXPECT_EQ(b->bitsPerPixel, c.bpp) << c.name;
        EXPECT_EQ(rowsOf(*b), c.expected) << c.name;
    }
}

TEST(BmpReader, ToleratesGapAndMissingLastPaddingAndReadsWhiteOutside) {
    QByteArray file = build(layout([](BmpLayout& s) { s.rows = {bytes({0, 0, 0})}, s.dataOffset = 80; }));
    file.chop(1);  // the only row's padding byte
    const auto b = readBmp(file);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->pixel(0, 0), kBlack);
    for (auto [x, y] : {std::pair{-1, 0}, {1, 0}, {0, 1}, {0, -1}}) EXPECT_EQ(b->pixel(x, y), kWhite);
}

TEST(BmpReader, RejectsDamagedAndHostileFiles) {
    const BmpLayout good = layout([](BmpLayout& s) {
        s.width = 2, s.height = 2, s.bpp = 8, s.palette = {kBlack, kWhite}, s.rows = {bytes({0, 1}), bytes({1, 0})};
    });
    ASSERT_TRUE(readBmp(build(good)));
    using qv::ResultCode;
    // A kind of bitmap this reader does not take, one too large, or a damaged file.
    constexpr ResultCode kOther = ResultCode::UnsupportedFormat, kLarge = ResultCode::TooLarge, kDamaged = ResultCode::Failed;
    const std::tuple<const char*, ResultCode, std::function<void(BmpLayout&)>> cases[] = {
        {"RLE8", kOther, [](BmpLayout& s) { s.compression = 1; }},
        {"RLE4", kOther, [](BmpLayout& s) { s.compression = 2, s.bpp = 4; }},
        {"PNG inside", kOther, [](BmpLayout& s) { s.compression = 5; }},
        {"bit fields on 8 bits", kDamaged, [](BmpLayout& s) { s.compression = 3; }},
        {"zero width", kDamaged, [](BmpLayout& s) { s.width = 0; }},
        {"negative width", kDamaged, [](BmpLayout& s) { s.width = -2; }},
        {"zero height", kDamaged, [](BmpLayout& s) { s.height = 0; }},
        {"absurd size", kLarge, [](BmpLayout& s) { s.width = 100000, s.height = 100000; }},
        {"most negative height", kLarge, [](BmpLayout& s) { s.height = INT32_MIN; }},
        {"2 bits per pixel", kOther, [](BmpLayout& s) { s.bpp = 2; }},
        {"unknown header size", kOther, [](BmpLayout& s) { s.headerSize = 20; }},
        {"offset into the header", kDamaged, [](BmpLayout& s) { s.dataOffset = 20; }},
        {"pixels past the end", kDamaged, [](BmpLayout& s) { s.height = 3; }},
        {"no room for a palette", kDamaged, [](BmpLayout& s) { s.palette.clear(), s.dataOffset = 54; }},
    };
    for (const auto& [name, code, change] : cases) {
        BmpLayout s = good;
        change(s);
        const auto b = readBmp(build(s));
        ASSERT_FALSE(b) << name;
        EXPECT_EQ(b.error().code(), code) << name;
        EXPECT_FALSE(b.error().detail().isEmpty()) << name;
    }
    QByteArray badSignature = build(good);
    badSignature[0] = 'X';
    EXPECT_FALSE(readBmp(badSignature));
}

// Under the sanitizers these prove the reader never looks past the bytes it is given.
TEST(BmpReader, EveryTruncationAndHeaderByteChangeIsSafe) {
    const QByteArray file = build(layout([](BmpLayout& s) {
        s.width = 5, s.height = 3, s.bpp = 4, s.palette.assign(16, kRed), s.rows.assign(3, bytes({0x12, 0x34, 0x50}));
    }));
    for (int n = 0; n < file.size() - 1; ++n) EXPECT_FALSE(readBmp(QByteArrayView(file.constData(), n))) << n;
    for (int at = 0; at < 54 + 64; ++at)
        for (int value : {0x00, 0x7F, 0x80, 0xFF}) {
            QByteArray changed = file;
            changed[at] = char(value);
            if (auto b = readBmp(changed)) {
                EXPECT_EQ(b->pixels.size(), size_t(b->width) * size_t(b->height));
            }
        }
}

TEST(BmpWriter, TwentyFourBitBottomUpLayoutReadsBack) {
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, kRed), img.setPixel(1, 0, kGreen), img.setPixel(0, 1, kBlue), img.setPixel(1, 1, qRgb(1, 2, 3));
    const QByteArray f = qv::writeBmp24(img);
    ASSERT_EQ(f.size(), 54 + 2 * 8);
    const auto* p = reinterpret_cast<const uint8_t*>(f.constData());
    EXPECT_EQ(f.left(2), "BM");
    const std::pair<int, uint32_t> fields[] = {{2, 70},  {10, 54}, {14, 40},   {18, 2},   {22, 2},
                                               {30, 0},  {34, 16}, {38, 2835}, {42, 2835}, {46, 0}};
    for (auto [at, value] : fields) EXPECT_EQ(qv::getU32(p + at), value) << at;
    EXPECT_EQ(qv::getU16(p + 26), 1);
    EXPECT_EQ(qv::getU16(p + 28), 24);
    EXPECT_EQ(f.mid(54), bytes({255, 0, 0, 3, 2, 1, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0}));
    const auto back = readBmp(f);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->bitsPerPixel, 24);
    EXPECT_EQ(rowsOf(*back), (Rows{{kRed, kGreen}, {kBlue, qRgb(1, 2, 3)}}));
}

TEST(BmpWriter, FileRoundTripAndFailuresNameTheFile) {
    qvtest::ScratchDir dir;
    QImage img(3, 1, QImage::Format_RGB32);
    img.fill(kGreen);
    const qv::Result written = qv::writeBmp24File(img, dir.path("out.bmp"));
    ASSERT_TRUE(written) << written.message().toStdString();
    const auto b = qv::readBmpFile(dir.path("out.bmp"));
    ASSERT_TRUE(b) << b.error().message().toStdString();
    EXPECT_EQ(rowsOf(*b), (Rows{{kGreen, kGreen, kGreen}}));

    const qv::Result missingFolder = qv::writeBmp24File(img, dir.path("missing/out.bmp"));
    EXPECT_FALSE(missingFolder);
    EXPECT_TRUE(missingFolder.message().contains("missing"));
    EXPECT_FALSE(qv::writeBmp24File(QImage(), dir.path("null.bmp")));
    const auto nothing = qv::readBmpFile(dir.path("nothing.bmp"));
    EXPECT_FALSE(nothing);
    EXPECT_TRUE(nothing.error().message().contains("nothing.bmp"));
}

}  // namespace
