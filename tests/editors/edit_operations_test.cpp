// The editing operations on a workspace built from the demo model.
#include "base/cp1251.h"
#include "demo_model/demo_model.h"
#include "editors/bmp_file.h"
#include "editors/edit_operations.h"
#include "editors/item_views.h"
#include "editors/picture_codec.h"
#include "editors/picture_import.h"
#include "files/flash_dump_source.h"
#include "support/test_support.h"
#include "support/expected_value.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;

namespace {

class EditTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto m = makeDemoModel(dir.path(), {5, false, "demo"});
        ASSERT_TRUE(m) << m.error().message().toStdString();
        model = *m;
        ASSERT_TRUE(ws.open(model.tableFile).ok());
        ASSERT_TRUE(importFromFlashDumps(ws, model.dump1, model.dump2).ok());
        ASSERT_TRUE(loadOperatorRecords(ws).ok());
    }
    QByteArray blob(int table, int row) {
        QByteArray b;
        b = qvtest::valueOf(ws.readBlob(table, row));
        return b;
    }
    int firstPicture(uint8_t format, uint8_t variant) {
        for (int i = 0; i < ws.rowCount(ListKind::Pictures); ++i)
            if (ws.image().pictures[size_t(i)].format == format && ws.image().pictures[size_t(i)].variant == variant) return i;
        return -1;
    }
    ScratchDir dir;
    DemoModel model;
    Workspace ws;
};

// Every picture of the demo model, on a plain-order model and on model 4, exported as the
// window and the folder export write it (its own depth, BMP or PNG) and as the command line does
// (24-bit), imports back to the bytes it holds (a run-length picture: to what it shows) and is
// stored unchanged, so that exporting again writes the same file.
TEST(PictureRoundTrip, EveryDemoPictureComesBackAsItWent) {
    for (uint16_t type : {5, 4}) {
        ScratchDir dir;
        auto model = makeDemoModel(dir.path(), {type, false, "demo"});
        ASSERT_TRUE(model);
        Workspace ws;
        ASSERT_TRUE(ws.open(model->tableFile).ok());
        ASSERT_TRUE(importFromFlashDumps(ws, model->dump1, model->dump2).ok());
        const QByteArray mem = readAll(ServiceFileNames(model->tableFile).mem);
        const std::pair<const char*, Result (*)(Workspace&, int, const QString&)> exports[] = {
            {"kept.bmp", exportPictureKeepingDepth}, {"kept.png", exportPictureKeepingDepth}, {"full.bmp", exportPicture24}};
        for (int row = 0; row < ws.rowCount(ListKind::Pictures); ++row) {
            const PictEntry e = ws.image().pictures[size_t(row)];
            const std::string what = "type " + std::to_string(type) + " row " + std::to_string(row) + " format " +
                                     std::to_string(e.format) + "/" + std::to_string(e.variant);
            QByteArray before;
            before = qvtest::valueOf(ws.readBlob(kPictureTable, row));
            const auto shown = pictureOfRow(ws, row);
            ASSERT_TRUE(shown);
            for (const auto& [name, exportTo] : exports) {
                const QString path = dir.path(name);
                const QString again = dir.path(QStringLiteral("again.") + QFileInfo(path).suffix());
                ASSERT_TRUE(exportTo(ws, row, path).ok()) << what;
                const PictureImport in = importImageFile({e.width, e.height, e.format, e.variant, type}, e.size, path);
                ASSERT_FALSE(in.refused()) << what << " " << name << ": " << in.status.message().toStdString();
                EXPECT_EQ(in.shown, *shown) << what << " " << name;
                if (e.format != kFormatRunLength565) {
                    EXPECT_EQ(in.bytes, before) << what << " " << name;
                }
                const Result imported = importPicture(ws, row, path);
                if (!pictureImportOffered(e)) {
                    EXPECT_EQ(imported.code(), ResultCode::UnsupportedFormat) << what;
                    continue;
                }
                EXPECT_TRUE(imported) << what << " " << name << imported.message().toStdString();
                ASSERT_TRUE(exportTo(ws, row, again).ok());
                EXPECT_EQ(readAll(again), readAll(path)) << what << " " << name;
            }
        }
        EXPECT_EQ(readAll(ServiceFileNames(model->tableFile).mem), mem) << "type " << type;
    }
}

TEST_F(EditTest, AnImageThePictureAlreadyShowsKeepsItsBytes) {
    // Bits the phone never shows: the rows past a 13 x 10 mono picture's last band, the pad
    // columns of a 30 x 20 2-bit row picture. An import of what the picture shows keeps them.
    const struct {
        uint8_t format, variant;
        int width, firstByte, step;
        char hidden;
    } cases[] = {{0, 1, 13, 13, 1, char(0xFC)}, {1, 0, 30, 7, 8, char(0x0F)}};
    for (const auto& c : cases) {
        int row = 0;
        while (ws.image().pictures[size_t(row)].format != c.format || ws.image().pictures[size_t(row)].variant != c.variant ||
               ws.image().pictures[size_t(row)].width != c.width)
            ++row;
        QByteArray odd = blob(kPictureTable, row);
        for (qsizetype i = c.firstByte; i < odd.size(); i += c.step) odd[i] = char(odd[i] | c.hidden);
        ASSERT_TRUE(ws.writeBlob(kPictureTable, row, odd).ok());
        ASSERT_TRUE(exportPicture24(ws, row, dir.path("shown.bmp")).ok());
        EXPECT_TRUE(importPicture(ws, row, dir.path("shown.bmp")).ok());
        EXPECT_EQ(blob(kPictureTable, row), odd) << row;
    }
}

TEST_F(EditTest, PictureImportRefusals) {
    const int row = firstPicture(4, 0);  // 128 x 160
    const QByteArray before = blob(kPictureTable, row);
    const Result missing = importPicture(ws, row, dir.path("missing.bmp"));
    EXPECT_FALSE(missing.ok());
    EXPECT_FALSE(missing.message().isEmpty());
    EXPECT_EQ(blob(kPictureTable, row), before);
    EXPECT_EQ(importPicture(ws, ws.rowCount(ListKind::Pictures), dir.path("missing.bmp")).code(), ResultCode::NotFound);
    EXPECT_FALSE(pictureImportOffered(ws.image().pictures[size_t(firstPicture(0, 0))]));
    EXPECT_FALSE(pictureImportOffered(ws.image().pictures[size_t(firstPicture(0, 2))]));
    EXPECT_FALSE(pictureImportOffered(ws.image().pictures[size_t(firstPicture(2, 0))]));
}

TEST_F(EditTest, MelodyImportPadsRemembersAndRefusesOversize) {
    const int row = 3;  // a 4,096-byte slot
    ASSERT_EQ(ws.image().melodies[row].size, 4096u);
    writeAll(dir.path("tune.mmf"), QByteArray(3000, '\x42'));
    const auto stored = importMelody(ws, row, dir.path("tune.mmf"));
    ASSERT_TRUE(stored && stored->remembered.ok());
    const QByteArray slot = blob(kMelodyTable, row);
    EXPECT_EQ(slot, QByteArray(3000, '\x42') + QByteArray(1096, '\0'));
    EXPECT_EQ(loadMelodyFileNames(ws.names().mru)[row], dir.path("tune.mmf"));
    ASSERT_TRUE(exportMelody(ws, row, dir.path("out.mmf")).ok());
    EXPECT_EQ(readAll(dir.path("out.mmf")).size(), 4096);

    writeAll(dir.path("long.mmf"), QByteArray(4097, '\x01'));
    ws.ticks(ListKind::Melodies)[row] = false;
    const auto large = importMelody(ws, row, dir.path("long.mmf"));
    ASSERT_FALSE(large);
    EXPECT_TRUE(ws.ticks(ListKind::Melodies)[row]);
    EXPECT_EQ(large.error().code(), ResultCode::TooLarge);
    EXPECT_EQ(large.error().message(), "The file size should be less or is equal 4096 byte(s)");
    EXPECT_EQ(blob(kMelodyTable, row), slot);
}

TEST_F(EditTest, MelodyExportNames) {
    std::vector<QString> strings(size_t(ws.rowCount(ListKind::Strings)));
    MelEntry& m = ws.image().melodies[0];
    m.nameString = 0xFFFF;
    EXPECT_EQ(melodyExportName(ws, 0, strings), "Ring1.mmf");
    m.nameString = 4;
    strings[4] = "My tune";
    ws.image().melodies[3].nameString = 4;
    EXPECT_EQ(melodyExportName(ws, 3, strings), "melody_0003.mmf");
    for (const char* unsafe : {"a/b", "..", "c:d", "x\\y", "q?"}) {
        strings[4] = unsafe;
        EXPECT_EQ(melodyExportName(ws, 3, strings), "melody_0003.mmf") << unsafe;
    }
    m.nameString = uint16_t(strings.size());  // not below the string count: no string name
    EXPECT_EQ(melodyExportName(ws, 0, strings), "Ring1.mmf");
}

TEST_F(EditTest, OperatorCodesAndNames) {
    EXPECT_EQ(parseOperatorCode("1f"), 0x001F);
    EXPECT_EQ(parseOperatorCode("zz"), 0);
    EXPECT_EQ(parseOperatorCode(""), 0);
    ASSERT_TRUE(applyOperator(ws, 1, "1f", "ABC", "", "Third").ok());
    OperRecord r;
    const QByteArray stored = blob(kOperatorTable, 1);
    r.read(reinterpret_cast<const uint8_t*>(stored.constData()));
    EXPECT_EQ(r.code1, 0x001F);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(r.name1.data()), 4), QByteArray("ABC\0", 4));
    EXPECT_TRUE(std::all_of(r.name2.begin(), r.name2.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(ws.ticks(ListKind::Operators)[1]);
    EXPECT_FALSE(applyOperator(ws, 1, "01", QByteArray(11, 'x'), "", "").ok());  // name #1 holds 10
}

TEST_F(EditTest, StringsArePaddedEncodedAndSearchedByBeginning) {
    int row = -1;
    for (int i = 0; i < ws.rowCount(ListKind::Strings); ++i)
        if (ws.image().strings[size_t(i)].length == 8) row = i;
    ASSERT_GE(row, 0);
    ws.image().strings[size_t(row)].size = 20;  // room beyond the characters must be zeros
    CharMapCoding coding;
    coding.rebuild(ws.image().charMap);
    // The size change has to reach the data file first: give the blob its new length.
    ASSERT_TRUE(ws.save().ok());
    ASSERT_TRUE(applyString(ws, coding, row, "Hi", 0).ok());
    const QByteArray stored = blob(kStringTable, row);
    ASSERT_EQ(stored.size(), 20);
    EXPECT_EQ(coding.decode(stored.left(16)), QByteArray("Hi      "));
    EXPECT_EQ(stored.mid(16), QByteArray(4, '\0'));
    EXPECT_FALSE(applyString(ws, coding, row, "123456789", 0).ok());

    const std::vector<QString> texts = {"Messages", "Menu", "Send Message"};
    EXPECT_EQ(findStringRow(texts, "Me"), 0);
    EXPECT_EQ(findStringRow(texts, "Men"), 1);
    EXPECT_EQ(findStringRow(texts, "essage"), -1);
    EXPECT_EQ(findStringRow(texts, ""), 0);
}

TEST_F(EditTest, DeletingStringsKeepsMelodiesOnTheirStrings) {
    MediaImage& m = ws.image();
    m.melodies[0].nameString = 5;
    m.melodies[1].nameString = 9;
    m.melodies[2].nameString = 0xFFFF;
    m.melodies[3].nameString = 12;
    ASSERT_TRUE(deleteRows(ws, ListKind::Strings, {5, 7}).ok());
    EXPECT_EQ(ws.image().melodies[0].nameString, 0xFFFF);
    EXPECT_EQ(ws.image().melodies[1].nameString, 7);
    EXPECT_EQ(ws.image().melodies[2].nameString, 0xFFFF);
    EXPECT_EQ(ws.image().melodies[3].nameString, 10);
    EXPECT_EQ(ws.rowCount(ListKind::Strings), model.strings - 2);
    // Renumbered by the save, each melody still names the string row it named before.
    EXPECT_EQ(ws.image().strings[7].id, 7);

    ASSERT_TRUE(deleteRows(ws, ListKind::Strings, {5}).ok());  // the example of one deletion
    EXPECT_EQ(ws.image().melodies[1].nameString, 6);
}

TEST_F(EditTest, DeleteAndSaveEachList) {
    const std::pair<ListKind, int> kinds[] = {{ListKind::Pictures, kPictureTable},
                                              {ListKind::Melodies, kMelodyTable},
                                              {ListKind::Operators, kOperatorTable},
                                              {ListKind::Strings, kStringTable}};
    for (auto [kind, table] : kinds) {
        const int rows = ws.rowCount(kind);
        const QByteArray keptFirst = blob(table, 0);
        const QByteArray keptLast = blob(table, rows - 1);
        ASSERT_TRUE(deleteRows(ws, kind, {2, 1, 2}).ok());
        EXPECT_EQ(ws.rowCount(kind), rows - 2);
        EXPECT_EQ(blob(table, 0), keptFirst);
        EXPECT_EQ(blob(table, rows - 3), keptLast);
        Workspace reread;
        ASSERT_TRUE(reread.open(model.tableFile).ok());
        EXPECT_EQ(reread.rowCount(kind), rows - 2);
    }
    EXPECT_FALSE(deleteRows(ws, ListKind::Melodies, {999}).ok());
}

TEST_F(EditTest, MelodyNamedByAString) {
    ASSERT_TRUE(setMelodyName(ws, 1, 12).ok());
    EXPECT_EQ(ws.image().melodies[1].nameString, 12);
    EXPECT_EQ(melodyNameRow(ws, 1), 12);
    ASSERT_TRUE(setMelodyName(ws, 1, std::nullopt).ok());
    EXPECT_EQ(ws.image().melodies[1].nameString, 0xFFFF);
    EXPECT_FALSE(setMelodyName(ws, 1, 4000).ok());
}

}  // namespace
