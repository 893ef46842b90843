// The demo phone model: its picture writer against hand-computed phone bytes, and the files it
// writes read back with nothing but zlib and the record layouts.
#include "demo_model/demo_content.h"
#include "demo_model/demo_model.h"
#include "demo_model/demo_pictures.h"
#include "demo_model/phone_picture_writer.h"
#include "editors/char_map_coding.h"
#include "image/media_image.h"
#include "support/test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <zlib.h>

using namespace qv;
using namespace qv::demo;

namespace {

QImage raster(int w, int h, QRgb fill = qRgb(255, 255, 255)) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) out.append(char(v));
    return out;
}

QByteArray write(const QImage& img, int format, int variant, uint16_t phoneType) {
    const auto out = writePhonePicture(img, format, variant, phoneType);
    return out ? *out : QByteArray("<refused>");
}

constexpr QRgb kBlack = 0xFF000000;

}  // namespace

// ---- Picture writer: bytes the phone's decoding rules turn back into the drawn pixels ----

TEST(PhonePictureWriter, SixteenBitPixelsAreHighByteFirstExceptOnReversedModels) {
    const QImage red = raster(1, 1, qRgb(248, 0, 0));
    EXPECT_EQ(write(red, 4, 0, 5), bytes({0xF8, 0x00}));
    EXPECT_EQ(write(red, 4, 0, 3), bytes({0xF8, 0x00}));
    for (uint16_t t : {4, 6, 8}) EXPECT_EQ(write(red, 4, 0, t), bytes({0x00, 0xF8})) << t;
}

TEST(PhonePictureWriter, RunLengthWritesRunsAndHighByteLiterals) {
    QImage img = raster(4, 1, qRgb(0, 0, 248));
    img.setPixel(3, 0, qRgb(248, 0, 0));
    EXPECT_EQ(write(img, 7, 0, 5), bytes({0x03, 0x1F, 0x00, 0xF8, 0x00}));
    EXPECT_EQ(write(img, 7, 0, 6), bytes({0x03, 0x1F, 0x00, 0xF8, 0x00}));
    // Model 4 reads the literal's first byte as the low byte: 0x00 cannot open a literal.
    EXPECT_EQ(write(img, 7, 0, 4), bytes({0x03, 0x1F, 0x00, 0x01, 0x00, 0xF8}));
}

TEST(PhonePictureWriter, RunLengthLiteralOnModelFourStartsWithTheLowByte) {
    const QImage img = raster(1, 1, qRgb(0, 28, 248));  // RGB565 0x00FF
    EXPECT_EQ(write(img, 7, 0, 4), bytes({0xFF, 0x00}));
    EXPECT_EQ(write(img, 7, 0, 5), bytes({0x01, 0xFF, 0x00}));  // high byte 0x00: a run of one
}

TEST(PhonePictureWriter, LongRunsSplitIntoCountZeroAndAtMost0x4F) {
    const QRgb c = qRgb(0, 0, 248);
    EXPECT_EQ(write(raster(16, 16, c), 7, 0, 5), bytes({0x00, 0x1F, 0x00}));  // 256 continues over rows
    EXPECT_EQ(write(raster(100, 1, c), 7, 0, 5), bytes({0x4F, 0x1F, 0x00, 0x15, 0x1F, 0x00}));
    EXPECT_EQ(write(raster(20, 16, c), 7, 0, 5), bytes({0x00, 0x1F, 0x00, 0x40, 0x1F, 0x00}));
}

TEST(PhonePictureWriter, MonoRowsRunOnAcrossRowEnds) {
    QImage img = raster(10, 2);
    img.setPixel(0, 1, kBlack);  // pixel 10: bit 5 of byte 1
    EXPECT_EQ(write(img, 0, 0, 5), bytes({0x00, 0x20, 0x00}));
    EXPECT_EQ(write(img, 0, 0, 4), bytes({0x00, 0x04, 0x00}));
}

TEST(PhonePictureWriter, MonoColumnPagesKeepTheTopRowInBitZero) {
    QImage img = raster(16, 12);
    img.setPixel(3, 0, kBlack);
    img.setPixel(3, 9, kBlack);
    const QByteArray plain = write(img, 0, 1, 5), reversed = write(img, 0, 1, 8);
    ASSERT_EQ(plain.size(), 32);  // two pages; rows 12..15 are white
    EXPECT_EQ(uint8_t(plain[3]), 0x01);
    EXPECT_EQ(uint8_t(plain[16 + 3]), 0x02);
    EXPECT_EQ(plain.count(char(0)), 30);
    EXPECT_EQ(uint8_t(reversed[3]), 0x80);
    EXPECT_EQ(uint8_t(reversed[16 + 3]), 0x40);
}

TEST(PhonePictureWriter, MonoColumnWordsAreLittleEndianOnEveryModel) {
    QImage img = raster(2, 20);
    img.setPixel(0, 15, kBlack);
    img.setPixel(1, 17, kBlack);
    const QByteArray expected = bytes({0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00});
    EXPECT_EQ(write(img, 0, 2, 5), expected);
    EXPECT_EQ(write(img, 0, 2, 4), expected);
}

TEST(PhonePictureWriter, TwoBitRowsArePaddedWhiteToFourPixels) {
    const QImage black = raster(30, 1, kBlack);
    EXPECT_EQ(write(black, 1, 0, 5), bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0}));
    EXPECT_EQ(write(black, 1, 0, 4).right(1), bytes({0x0F}));
    QImage greys = raster(4, 1);
    greys.setPixel(1, 0, qRgb(170, 170, 170));
    greys.setPixel(2, 0, qRgb(85, 85, 85));
    greys.setPixel(3, 0, kBlack);
    EXPECT_EQ(write(greys, 1, 0, 5), bytes({0x1B}));
}

TEST(PhonePictureWriter, TwoBitColumnPagesPutTheBottomRowHighest) {
    QImage img = raster(1, 4);
    img.setPixel(0, 0, kBlack);
    img.setPixel(0, 2, qRgb(170, 170, 170));
    img.setPixel(0, 3, qRgb(85, 85, 85));
    EXPECT_EQ(write(img, 1, 1, 5), bytes({0x93}));
    EXPECT_EQ(write(img, 1, 1, 6), bytes({0xC9}));
}

TEST(PhonePictureWriter, ByteFormats) {
    QImage img = raster(3, 1, kBlack);
    img.setPixel(0, 0, qRgb(255, 255, 255));
    img.setPixel(1, 0, qRgb(127, 127, 127));
    EXPECT_EQ(write(img, 2, 0, 5), bytes({0x08, 0xF0}));  // odd count: the last low nibble is white
    img.setPixel(1, 0, qRgb(255, 0, 0));
    img.setPixel(2, 0, qRgb(0, 0, 255));
    EXPECT_EQ(write(img, 3, 0, 4), bytes({0xFF, 0xE0, 0x03}));
    const QImage one = raster(1, 1, qRgb(1, 2, 3));
    EXPECT_EQ(write(one, 5, 0, 4), bytes({3, 2, 1}));
    EXPECT_EQ(write(one, 6, 0, 5), bytes({3, 2, 1, 0}));
}

TEST(PhonePictureWriter, RefusesLayoutsThePhoneDoesNotDefine) {
    for (auto [f, v] : {std::pair{1, 2}, {2, 1}, {4, 1}, {7, 2}, {8, 0}, {0, 3}}) {
        const auto out = writePhonePicture(raster(8, 8), f, v, 5);
        EXPECT_FALSE(out) << f << "/" << v;
        EXPECT_FALSE(out.error().detail().isEmpty());
    }
}

TEST(PhonePictureWriter, FixedSizesMatchTheBytesWritten) {
    for (auto [w, h] : {std::pair{1, 1}, {13, 10}, {30, 20}, {17, 33}, {8, 16}})
        for (int f = 0; f <= 6; ++f)
            for (int v = 0; v <= 2; ++v)
                if (isDefinedLayout(f, v)) {
                    EXPECT_EQ(write(raster(w, h), f, v, 4).size(), fixedPictureSize(w, h, f, v))
                        << w << "x" << h << " f" << f << " v" << v;
                }
}

// ---- The model's files, read back with zlib and the record layouts alone ----

namespace {

struct Item {
    int dump;
    uint32_t offset, size;
    QString what;
};

struct LoadedModel {
    DemoModel model;
    QByteArray sav;
    std::unique_ptr<MediaImage> img = std::make_unique<MediaImage>();
    std::map<int, QByteArray> sections;  // inflated, by table id
    std::vector<int> fileOrder;          // table ids by section offset
    QByteArray dumps[2];

    QByteArray at(uint32_t address, uint32_t size) const {
        return dumps[(address >> 24) == 1 ? 0 : 1].mid(qsizetype(address & 0xFFFFFF), qsizetype(size));
    }
    int pictureRows() const { return int(img->count(kPictureTable)) - 1; }
};

QByteArray inflateWhole(const QByteArray& z, int room) {
    QByteArray out(room + 1, '\0');
    uLongf len = uLongf(out.size());
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &len, reinterpret_cast<const Bytef*>(z.constData()),
                   uLong(z.size())) != Z_OK)
        return {};
    out.truncate(qsizetype(len));
    return out;
}

std::unique_ptr<LoadedModel> makeAndLoad(const qvtest::ScratchDir& dir, uint16_t phoneType, bool full = false) {
    auto m = std::make_unique<LoadedModel>();
    const auto made = makeDemoModel(dir.path(), {phoneType, full, QStringLiteral("demo")});
    if (!made) throw std::runtime_error(made.error().message().toStdString());
    m->model = *made;
    m->sav = qvtest::readAll(made->tableFile);
    m->img->directory.read(reinterpret_cast<const uint8_t*>(m->sav.constData()));
    std::vector<std::pair<uint32_t, int>> byOffset;
    for (int id : kSectionOrder) {
        const DirectoryEntry& e = m->img->entry(id);
        byOffset.push_back({e.offset, id});
        m->sections[id] = inflateWhole(m->sav.mid(e.offset, e.zsize), storedTableSize(id) + 4096);
        if (!m->img->loadTableBlock(id, m->sections[id]).ok()) throw std::runtime_error("bad section");
    }
    std::sort(byOffset.begin(), byOffset.end());
    for (auto [offset, id] : byOffset) m->fileOrder.push_back(id);
    m->dumps[0] = qvtest::readAll(made->dump1);
    if (!made->dump2.isEmpty()) m->dumps[1] = qvtest::readAll(made->dump2);
    return m;
}

std::vector<Item> allItems(const LoadedModel& m) {
    std::vector<Item> items;
    auto add = [&](uint32_t address, uint32_t size, QString what) {
        items.push_back({int(address >> 24), address & 0xFFFFFF, size, std::move(what)});
    };
    const MediaImage& img = *m.img;
    add(kDemoVersionDumpAddress, 128, QStringLiteral("version"));
    for (uint32_t i = 0; i < img.count(kPictureTable); ++i)
        add(img.pictures[i].address, img.pictures[i].size, QStringLiteral("picture %1").arg(i));
    for (uint32_t i = 0; i < img.count(kMelodyTable); ++i)
        add(img.melodies[i].address, img.melodies[i].size, QStringLiteral("melody %1").arg(i));
    for (uint32_t i = 0; i < img.count(kOperatorTable); ++i)
        add(img.operators[i].address, img.operFormat.recordSize, QStringLiteral("operator %1").arg(i));
    for (uint32_t i = 0; i < img.count(kStringTable); ++i)
        add(img.strings[i].address, img.strings[i].size, QStringLiteral("string %1").arg(i));
    return items;
}

// Every item lies inside its dump and no two share a byte.
void expectPlacedApart(const LoadedModel& m) {
    std::vector<Item> items = allItems(m);
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return std::tie(a.dump, a.offset) < std::tie(b.dump, b.offset);
    });
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& it = items[i];
        ASSERT_TRUE(it.dump == 1 || (it.dump == 2 && !m.model.dump2.isEmpty())) << qPrintable(it.what);
        ASSERT_GT(it.size, 0u) << qPrintable(it.what);
        ASSERT_LE(qsizetype(it.offset + it.size), m.dumps[it.dump - 1].size()) << qPrintable(it.what);
        if (i > 0 && items[i - 1].dump == it.dump) {
            ASSERT_LE(items[i - 1].offset + items[i - 1].size, it.offset)
                << qPrintable(items[i - 1].what) << " overlaps " << qPrintable(it.what);
        }
    }
}

class DemoModelFiles : public testing::TestWithParam<uint16_t> {
protected:
    void SetUp() override { m = makeAndLoad(dir, GetParam()); }
    qvtest::ScratchDir dir;
    std::unique_ptr<LoadedModel> m;
};

}  // namespace

TEST_P(DemoModelFiles, TableFileHoldsLevelNineSectionsBackToBackInFileOrder) {
    const std::vector<int> expected(kSectionOrder.begin(), kSectionOrder.end());
    EXPECT_EQ(m->fileOrder, expected);
    uint32_t end = TableDirectory::kSize;
    for (int id : m->fileOrder) {
        const DirectoryEntry& e = m->img->entry(id);
        EXPECT_EQ(e.present, id);
        EXPECT_EQ(e.offset, end) << id;
        EXPECT_EQ(uint8_t(m->sav[e.offset + 1]) >> 6, 3) << "table " << id << " not at the best level";
        EXPECT_EQ(m->sections[id].size(), storedTableSize(id)) << id;
        end = e.offset + e.zsize;
    }
    EXPECT_EQ(qsizetype(end), m->sav.size());
    EXPECT_EQ(m->img->directory.phoneType, GetParam());
    EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("demo.mem")))) << "the model is opened as new";
}

TEST_P(DemoModelFiles, CountsMatchTheContentAndNoItemHasADataFileOffset) {
    const MediaImage& img = *m->img;
    EXPECT_EQ(img.count(kPictureTable), uint32_t(m->model.pictures));
    EXPECT_EQ(m->model.pictures, int(normalPictures().size()));
    EXPECT_EQ(m->model.melodies, 8);
    EXPECT_EQ(m->model.operators, 12);
    EXPECT_EQ(m->model.strings, 40);
    for (int i = 0; i < m->model.pictures; ++i) EXPECT_EQ(img.pictures[size_t(i)].memOffset, 0u);
    for (int i = 0; i < m->model.melodies; ++i) EXPECT_EQ(img.melodies[size_t(i)].memOffset, 0u);
    for (int i = 0; i < m->model.operators; ++i) EXPECT_EQ(img.operators[size_t(i)].memOffset, 0u);
    for (int i = 0; i < m->model.strings; ++i) EXPECT_EQ(img.strings[size_t(i)].memOffset, 0u);
}

TEST_P(DemoModelFiles, ReservedBytesCarryAPattern) {
    const TableDirectory& s = m->img->directory;
    auto nonZero = [](const auto& a) { return std::any_of(a.begin(), a.end(), [](uint8_t b) { return b != 0; }); };
    EXPECT_TRUE(nonZero(s.reserved2) && nonZero(s.reserved8));
    for (const DirectoryEntry& e : s.entries) EXPECT_TRUE(nonZero(e.reserved));
    EXPECT_TRUE(nonZero(m->img->charMap.reserved0));
    EXPECT_TRUE(nonZero(m->img->operFormat.reserved0));
    // Block 6 is not blank, and the id-7 section repeats its start after the character map.
    EXPECT_TRUE(nonZero(m->img->aux6) && nonZero(m->img->aux5));
    EXPECT_EQ(m->sections[kCharMapTable].mid(CharMap::kSize), m->sections[kAux6Table].left(kCharMapTailOfAux6));
}

TEST_P(DemoModelFiles, ItemsLieInsideTheDumpsApartFromEachOther) {
    expectPlacedApart(*m);
    for (int d = 0; d < 2; ++d) {
        if (m->dumps[d].isEmpty()) continue;
        EXPECT_EQ(m->dumps[d].size() % (64 * 1024), 0);
        EXPECT_GE(m->dumps[d].size(), 2 * 1024 * 1024);
    }
    std::set<int> dumpsUsed;
    for (const Item& it : allItems(*m)) dumpsUsed.insert(it.dump);
    EXPECT_EQ(dumpsUsed, (std::set<int>{1, 2})) << "both dumps hold items";
    const QByteArray version = m->at(m->img->directory.versionAddress + 8, 128);
    const QByteArray text(kDemoVersionText);
    EXPECT_EQ(version.left(text.size()), text);
    EXPECT_EQ(version.mid(text.size()).count('\0'), 128 - text.size());
}

TEST_P(DemoModelFiles, PicturesCoverEveryLayoutAndHoldTheWrittenBytes) {
    std::set<std::pair<int, int>> layouts;
    bool narrowTwoBitRows = false;
    const auto drawn = normalPictures();
    for (int i = 0; i < m->model.pictures; ++i) {
        const PictEntry& e = m->img->pictures[size_t(i)];
        if (i < m->pictureRows()) layouts.insert({e.format, e.variant});
        narrowTwoBitRows |= e.format == 1 && e.variant == 0 && e.width % 4 != 0;
        EXPECT_LE(e.size, 65536u);
        if (e.format != 7) {
            EXPECT_EQ(int(e.size), fixedPictureSize(e.width, e.height, e.format, e.variant)) << i;
        }
        EXPECT_EQ(m->at(e.address, e.size), write(drawn[size_t(i)].image, e.format, e.variant, GetParam())) << i;
    }
    EXPECT_EQ(layouts, (std::set<std::pair<int, int>>{{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {2, 0}, {3, 0},
                                                      {4, 0}, {5, 0}, {6, 0}, {7, 0}}));
    EXPECT_TRUE(narrowTwoBitRows);
}

TEST_P(DemoModelFiles, RunLengthPicturesUseEveryKindOfToken) {
    int zeroCounts = 0, literals = 0, shortRuns = 0, pictures = 0;
    for (int i = 0; i < m->model.pictures; ++i) {
        const PictEntry& e = m->img->pictures[size_t(i)];
        if (e.format != 7) continue;
        ++pictures;
        const QByteArray s = m->at(e.address, e.size);
        long pixels = 0;
        qsizetype k = 0;
        while (k < s.size()) {
            const uint8_t c = uint8_t(s[k]);
            if (c < 0x50) {
                pixels += c == 0 ? 256 : c;
                zeroCounts += c == 0;
                shortRuns += c > 1;
                k += 3;
            } else {
                ++pixels;
                ++literals;
                k += 2;
            }
        }
        EXPECT_EQ(k, s.size()) << "picture " << i << " ends inside a token";
        EXPECT_EQ(pixels, long(e.width) * e.height) << "picture " << i;
    }
    EXPECT_GE(pictures, 3);
    EXPECT_GT(zeroCounts, 0);
    EXPECT_GT(literals, 0);
    EXPECT_GT(shortRuns, 0);
}

TEST_P(DemoModelFiles, StringsDecodeThroughTheCharacterMapWithIdsApartFromRows) {
    CharMapCoding coding;
    coding.rebuild(m->img->charMap);
    const auto texts = normalStrings();
    std::set<int> pages;
    for (int i = 0; i < m->model.strings; ++i) {
        const StrEntry& e = m->img->strings[size_t(i)];
        EXPECT_EQ(e.id, i + 1000);
        EXPECT_EQ(e.size, 2 * e.length);
        EXPECT_EQ(coding.decode(m->at(e.address, e.size)), texts[size_t(i)].text) << i;
        pages.insert(e.fontAttribute);
    }
    EXPECT_EQ(pages, (std::set<int>{0, 1, 2, 3}));
    const CharMap& map = m->img->charMap;
    // Six pages of 301 glyph numbers reach past the 1,536 that a narrower inverse table would hold.
    EXPECT_GT(5 * (map.glyphCount + 1 + map.pageGap) + 300, 1536u);
}

TEST_P(DemoModelFiles, MelodiesAreSmafFilesNamedByStringRows) {
    CharMapCoding coding;
    coding.rebuild(m->img->charMap);
    for (int i = 0; i < m->model.melodies; ++i) {
        const MelEntry& e = m->img->melodies[size_t(i)];
        const QByteArray file = m->at(e.address, e.size);
        EXPECT_TRUE(file.startsWith("MMMD")) << i;
        const uint32_t length =
            uint32_t(uint8_t(file[4])) << 24 | uint8_t(file[5]) << 16 | uint8_t(file[6]) << 8 | uint8_t(file[7]);
        EXPECT_EQ(length + 8, e.size);
        EXPECT_EQ(file.mid(8, 4), QByteArray("CNTI"));
        EXPECT_GE(e.size, 1024u);
        EXPECT_LE(e.size, 6144u);
        ASSERT_LE(e.name[0], MelEntry::kNameMax);
        const QByteArray name(reinterpret_cast<const char*>(e.name.data()) + 1, e.name[0]);
        if (e.nameString != 0xFFFF) {
            ASSERT_LT(e.nameString, m->model.strings);
            const StrEntry& s = m->img->strings[e.nameString];
            EXPECT_TRUE(coding.decode(m->at(s.address, s.size)).startsWith(name)) << i;
        }
    }
}

TEST_P(DemoModelFiles, OperatorRecordsUnpackToNamesAndKnownCountries) {
    const OperFormat& f = m->img->operFormat;
    EXPECT_LE(f.name1Length, 30);
    EXPECT_LE(f.name2Length, 50);
    EXPECT_LE(f.name3Length, 100);
    EXPECT_LE(f.name1Offset + f.name1Length, f.name2Offset);
    EXPECT_LE(f.name2Offset + f.name2Length, f.name3Offset);
    EXPECT_LE(f.name3Offset + f.name3Length, f.recordSize);
    std::set<QByteArray> names;
    for (int i = 0; i < m->model.operators; ++i) {
        const OperEntry& e = m->img->operators[size_t(i)];
        EXPECT_EQ(e.storedLength, OperRecord::kSize);
        const OperRecord r = unpackOperatorRecord(m->at(e.address, f.recordSize), f);
        ASSERT_LT(r.code0, kCountryCapacity);
        EXPECT_GT(m->img->countries[r.code0].bytes[0], 0) << "no country for operator " << i;
        EXPECT_NE(r.code1 & 0xFF, 0);
        names.insert(QByteArray(reinterpret_cast<const char*>(r.name1.data())));
    }
    EXPECT_EQ(int(names.size()), m->model.operators);
}

INSTANTIATE_TEST_SUITE_P(PlainAndReversedModels, DemoModelFiles, testing::Values(uint16_t(5), uint16_t(4)));

TEST(DemoModel, OneDumpModelsKeepEverythingInDumpOne) {
    qvtest::ScratchDir dir;
    const auto m = makeAndLoad(dir, 2);
    EXPECT_TRUE(m->model.dump2.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("demo_2.bif"))));
    for (const Item& it : allItems(*m)) EXPECT_EQ(it.dump, 1) << qPrintable(it.what);
    expectPlacedApart(*m);
}

TEST(DemoModel, SameOptionsGiveTheSameBytes) {
    qvtest::ScratchDir a, b;
    const auto ma = makeDemoModel(a.path(), {}), mb = makeDemoModel(b.path(), {});
    ASSERT_TRUE(ma && mb);
    EXPECT_EQ(qvtest::readAll(ma->tableFile), qvtest::readAll(mb->tableFile));
    EXPECT_EQ(qvtest::readAll(ma->dump1), qvtest::readAll(mb->dump1));
    EXPECT_EQ(qvtest::readAll(ma->dump2), qvtest::readAll(mb->dump2));
}

TEST(DemoModel, RemovesAStaleDataFileAndRefusesPathsAsBaseNames) {
    qvtest::ScratchDir dir;
    qvtest::writeAll(dir.path(QStringLiteral("phone.mem")), "old");
    ASSERT_TRUE(makeDemoModel(dir.path(), {5, false, QStringLiteral("phone")}));
    EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("phone.mem"))));
    const auto pathAsName = makeDemoModel(dir.path(), {5, false, QStringLiteral("a/b")});
    EXPECT_FALSE(pathAsName);
    EXPECT_FALSE(pathAsName.error().detail().isEmpty());
}

// On a model with one dump, the tightest fit: the items go to the dumps by the same plan and
// placement whatever their number, and two dumps are placed apart at the usual size above.
TEST(DemoModel, FullTablesFillEveryPictureAndStringSlot) {
    qvtest::ScratchDir dir;
    const auto m = makeAndLoad(dir, 2, true);
    EXPECT_EQ(m->model.pictures, kPictCapacity);
    EXPECT_EQ(m->model.strings, kStrCapacity);
    EXPECT_EQ(m->model.melodies, 8);
    expectPlacedApart(*m);
    EXPECT_LT(m->dumps[0].size() + m->dumps[1].size(), qsizetype(64) * 1024 * 1024);
    EXPECT_EQ(m->img->strings[kStrCapacity - 1].id, kStrCapacity - 1 + 1000);
}

TEST(DemoModelProgram, PrintsWhatItWroteAsJson) {
    const QString program = QStringLiteral(QV_BIN_DIR "/quorvanta-demo-model" QV_EXE);
    if (!QFileInfo::exists(program)) GTEST_SKIP() << "the program is not built";
    qvtest::ScratchDir dir;
    QProcess p;
    p.start(program, {dir.path(), QStringLiteral("--phone-type"), QStringLiteral("4"), QStringLiteral("--name"),
                      QStringLiteral("m")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    const QJsonObject json = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    EXPECT_EQ(json.value(QStringLiteral("tableFile")).toString(),
              QFileInfo(dir.path(QStringLiteral("m.sav"))).absoluteFilePath());
    EXPECT_TRUE(QFileInfo::exists(json.value(QStringLiteral("dump2")).toString()));
    EXPECT_EQ(json.value(QStringLiteral("strings")).toInt(), 40);

    p.start(program, {dir.path(), QStringLiteral("--phone-type"), QStringLiteral("x")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_EQ(p.readAllStandardError().count('\n'), 1);
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
}
