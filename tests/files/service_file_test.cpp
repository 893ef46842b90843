// Reading, saving and swapping service files.
#include "files/service_file_names.h"
#include "files/small_service_file.h"
#include "files/workspace.h"
#include "files/zlib_section.h"
#include "image/byte_order.h"
#include "support/test_support.h"
#include "support/expected_value.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;

namespace {

struct NameCase {
    const char* chosen;
    const char* ext;
    const char* expected;
};

TEST(ServiceFileNames, ExtensionIsReplacedOnlyInTheLastPathComponent) {
    const NameCase cases[] = {
        {"phone.sav", ".mem", "phone.mem"},
        {"/home/u/phone.sav", ".mru", "/home/u/phone.mru"},
        {"/home/u/models.v2/phone", ".mem", "/home/u/models.v2/phone.mem"},
        {"C:\\models.v2\\phone", ".sa2", "C:\\models.v2\\phone.sa2"},
        {"C:phone", ".mem", "C:phone.mem"},
        {"a.b.sav", ".me2", "a.b.me2"},
        {"phone.bak", ".sav", "phone.sav"},
    };
    for (const auto& c : cases) EXPECT_EQ(withExtension(c.chosen, c.ext), QString(c.expected)) << c.chosen;
}

class ServiceFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        sav = dir.path("model.sav");
        mem = dir.path("model.mem");
        model.write(sav);
    }
    QByteArray blobOf(Workspace& ws, int table, int i) {
        QByteArray b;
        b = qvtest::valueOf(ws.readBlob(table, i));
        return b;
    }
    ScratchDir dir;
    SmallServiceFile model;
    QString sav, mem;
};

TEST_F(ServiceFileTest, OpenReadsTablesAndBlobsWherever_the_data_file_keeps_them) {
    Workspace ws;
    ASSERT_TRUE(ws.open(sav).ok());
    EXPECT_TRUE(ws.hasDataFile());
    EXPECT_EQ(ws.rowCount(ListKind::Pictures), 2);  // the last picture entry is never listed
    EXPECT_EQ(ws.rowCount(ListKind::Melodies), 3);
    EXPECT_EQ(ws.rowCount(ListKind::Operators), 2);
    EXPECT_EQ(ws.rowCount(ListKind::Strings), 4);
    EXPECT_EQ(blobOf(ws, kPictureTable, 1), model.pictures[1]);
    EXPECT_EQ(blobOf(ws, kStringTable, 3), model.strings[3]);
    EXPECT_EQ(ws.image().countries[0x250].bytes[1], 'R');
}

TEST_F(ServiceFileTest, CharMapSectionOverlaysTheStartOfBlockSix) {
    Workspace ws;
    ASSERT_TRUE(ws.open(sav).ok());
    EXPECT_EQ(ws.image().aux6, model.image->aux6);
    EXPECT_EQ(ws.image().charMap.glyphBase, 0x0100);

    // A file whose table 7 carries different bytes for block 6 wins over table 6 for the
    // first 3,564 bytes only, since table 7 is read after table 6.
    MediaImage other = *model.image;
    other.aux6.fill(0x42);
    QByteArray block7 = other.tableBlock(kCharMapTable);
    ASSERT_EQ(block7.size(), 4112);
    EXPECT_EQ(uint8_t(block7[548]), 0x42);
    MediaImage target = *model.image;
    ASSERT_TRUE(target.loadTableBlock(kCharMapTable, block7).ok());
    EXPECT_EQ(target.aux6[0], 0x42);
    EXPECT_EQ(target.aux6[3563], 0x42);
    EXPECT_EQ(target.aux6[3564], model.image->aux6[3564]);
}

TEST_F(ServiceFileTest, AbsentTablesKeepWhatTheImageHeld) {
    Workspace ws;
    ASSERT_TRUE(ws.open(sav).ok());
    // Second file: no operator format, so tables 3 and 4 are not read even though present.
    SmallServiceFile second;
    second.tables = {1, 6, 2, 5, 3, 4, 7, 8};
    second.image->operators[0].address = 0xDEAD;
    second.image->entry(kMelodyTable).present = 0;
    second.write(dir.path("second.sav"));
    ASSERT_TRUE(ws.open(dir.path("second.sav")).ok());
    EXPECT_EQ(ws.rowCount(ListKind::Operators), 0);
    EXPECT_EQ(ws.image().operators[0].address, model.image->operators[0].address);
    EXPECT_EQ(ws.image().countries[0x250].bytes[1], 'R');
}

TEST_F(ServiceFileTest, DamagedFilesAreRefusedAndLeaveTheOpenWorkspaceAlone) {
    Workspace ws;
    ASSERT_TRUE(ws.open(sav).ok());
    const QByteArray good = readAll(sav);
    const QString bad = dir.path("bad.sav");

    struct Damage {
        const char* what;
        ResultCode code;  // TooLarge: more than any phone holds
        std::function<void(QByteArray&)> apply;
    };
    auto entryAt = [](QByteArray& f, int id) { return reinterpret_cast<uint8_t*>(f.data()) + 12 + 16 * id; };
    const Damage damages[] = {
        {"shorter than its directory", ResultCode::Damaged, [](QByteArray& f) { f.truncate(100); }},
        {"count above capacity", ResultCode::TooLarge, [&](QByteArray& f) { putU32(entryAt(f, 2) + 8, 502); }},
        {"section outside the file", ResultCode::Damaged, [&](QByteArray& f) { putU32(entryAt(f, 8) + 4, uint32_t(f.size())); }},
        {"corrupt stream", ResultCode::Damaged, [&](QByteArray& f) { f[int(getU32(entryAt(f, 1) + 4)) + 5] ^= 0x55; }},
        {"section longer than its block", ResultCode::TooLarge,
         [&](QByteArray& f) {
             const QByteArray big = deflateSection(QByteArray(30, 'x'));
             putU32(entryAt(f, 9) + 4, uint32_t(f.size()));
             putU32(entryAt(f, 9) + 12, uint32_t(big.size()));
             f += big;
         }},
    };
    for (const Damage& d : damages) {
        QByteArray f = good;
        d.apply(f);
        writeAll(bad, f);
        const Result s = ws.open(bad);
        EXPECT_EQ(s.code(), d.code) << d.what;
        EXPECT_TRUE(s.message().contains("bad.sav")) << s.message().toStdString();
        EXPECT_EQ(ws.chosenName(), sav) << d.what;
        EXPECT_EQ(blobOf(ws, kPictureTable, 0), model.pictures[0]) << d.what;
    }
}

TEST_F(ServiceFileTest, BlobOutsideTheDataFileIsRefused) {
    model.write(sav);
    QFile f(mem);
    ASSERT_TRUE(f.resize(f.size() - 200));
    Workspace ws;
    const Result s = ws.open(sav);
    EXPECT_EQ(s.code(), ResultCode::Damaged);
    EXPECT_TRUE(s.message().contains("model.mem"));
}

TEST_F(ServiceFileTest, SaveCompactsInTableOrderRenumbersStringsAndIsStable) {
    Workspace ws;
    ASSERT_TRUE(ws.open(sav).ok());
    ASSERT_TRUE(ws.save().ok());
    const QByteArray sav1 = readAll(sav), mem1 = readAll(mem);

    QByteArray expectedMem;
    for (const auto* blobs : {&model.pictures, &model.melodies, &model.operators, &model.strings})
        for (const QByteArray& b : *blobs) expectedMem += b;
    EXPECT_EQ(mem1, expectedMem);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ws.image().strings[size_t(i)].id, i);
    EXPECT_EQ(blobOf(ws, kMelodyTable, 2), model.melodies[2]);

    ASSERT_TRUE(ws.save().ok());
    EXPECT_EQ(readAll(sav), sav1);
    EXPECT_EQ(readAll(mem), mem1);
    EXPECT_FALSE(QFile::exists(dir.path("model.sa2")));
    EXPECT_FALSE(QFile::exists(dir.path("model.sw2")));

    // Reserved bytes of the directory and of the records survive.
    Workspace again;
    ASSERT_TRUE(again.open(sav).ok());
    EXPECT_EQ(again.image().directory.reserved2, model.image->directory.reserved2);
    EXPECT_EQ(again.image().directory.reserved8, model.image->directory.reserved8);
    EXPECT_EQ(again.image().directory.entries[5].reserved, model.image->directory.entries[5].reserved);
    EXPECT_EQ(again.image().directory.entries[11].offset, 0x11111111u);
    EXPECT_EQ(again.image().strings[3].reserved22, model.image->strings[3].reserved22);
    EXPECT_EQ(again.image().pictures[1].reserved, model.image->pictures[1].reserved);
}

TEST_F(ServiceFileTest, SaveWritesTheCountryTableAfterOperatorsEvenWhenItWasAbsent) {
    model.tables = {1, 6, 2, 5, 9, 3, 7, 8};
    model.write(sav);
    Workspace ws;
    ASSERT_TRUE(ws.open(sav).ok());
    ASSERT_TRUE(ws.save().ok());
    const auto& e3 = ws.image().entry(kOperatorTable);
    const auto& e4 = ws.image().entry(kCountryTable);
    EXPECT_EQ(e4.present, 4);
    EXPECT_EQ(e4.offset, e3.offset + e3.zsize);
}

TEST_F(ServiceFileTest, SaveWithoutStringTableWritesNoStrings) {
    model.tables = {1, 6, 2, 5, 9, 3, 4, 7};
    model.image->entry(kStringTable).count = 4;
    model.write(sav);
    Workspace ws;
    ASSERT_TRUE(ws.open(sav).ok());
    ASSERT_TRUE(ws.save().ok());
    EXPECT_EQ(ws.image().entry(kStringTable).present, 0);
    EXPECT_EQ(ws.image().entry(kStringTable).zsize, 0u);
    qint64 expected = 0;
    for (const auto* blobs : {&model.pictures, &model.melodies, &model.operators})
        for (const QByteArray& b : *blobs) expected += b.size();
    EXPECT_EQ(QFileInfo(mem).size(), expected);
}

TEST_F(ServiceFileTest, DeletingAMiddleMelodyClosesTheGap) {
    Workspace ws;
    ASSERT_TRUE(ws.open(sav).ok());
    ws.image().melodies[1] = ws.image().melodies[2];
    ws.image().entry(kMelodyTable).count = 2;
    ASSERT_TRUE(ws.save().ok());
    const MediaImage& m = ws.image();  // the save replaced the image with the rewritten one
    EXPECT_EQ(m.melodies[1].memOffset, m.melodies[0].memOffset + m.melodies[0].size);
    EXPECT_EQ(blobOf(ws, kMelodyTable, 1), model.melodies[2]);
    EXPECT_EQ(ws.image().count(kMelodyTable), 2u);
}

TEST_F(ServiceFileTest, TablesTheReaderSkippedAreNeverRewrittenFromMemory) {
    for (int variant = 0; variant < 2; ++variant) {
        SmallServiceFile odd;
        if (variant == 0) {
            odd.tables = {1, 6, 2, 5, 3, 4, 7, 8};  // operators without their format
        } else {
            odd.image->entry(kMelodyTable).present = 7;  // marked with a foreign id
            odd.tables = {1, 6, 5, 9, 3, 4, 7, 8};
        }
        odd.write(sav);
        const QByteArray before = readAll(sav);
        Workspace ws;
        ASSERT_TRUE(ws.open(sav).ok());
        const Result s = ws.save();
        EXPECT_FALSE(s.ok());
        EXPECT_TRUE(s.message().contains("model.sav"));
        EXPECT_EQ(readAll(sav), before);
    }
}

TEST_F(ServiceFileTest, ChosenNameWithOtherExtensionIsNeverChanged) {
    const QString bak = dir.path("model.bak");
    ASSERT_TRUE(QFile::rename(sav, bak));
    const QByteArray chosen = readAll(bak);
    Workspace ws;
    ASSERT_TRUE(ws.open(bak).ok());
    ASSERT_TRUE(ws.save().ok());
    EXPECT_EQ(readAll(bak), chosen);
    EXPECT_TRUE(QFile::exists(sav));
    Workspace reread;
    ASSERT_TRUE(reread.open(sav).ok());
    EXPECT_EQ(blobOf(reread, kStringTable, 2), model.strings[2]);
}

}  // namespace
