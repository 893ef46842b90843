// Building a data file from the demo model's flash dumps, then saving and reading it again.
#include "demo_model/demo_model.h"
#include "files/flash_dump_source.h"
#include "files/workspace.h"
#include "support/test_support.h"
#include "support/expected_value.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;

namespace {

struct ImportedModel {
    ScratchDir dir;
    DemoModel model;
    Workspace ws;
    explicit ImportedModel(uint16_t phoneType = 5) {
        auto m = makeDemoModel(dir.path(), {phoneType, false, "demo"});
        if (!m) throw std::runtime_error(m.error().message().toStdString());
        model = *m;
    }
    Result import() {
        if (Result s = ws.open(model.tableFile); !s) return s;
        return importFromFlashDumps(ws, model.dump1, model.dump2);
    }
};

QByteArray dumpBytes(const DemoModel& m, uint32_t address, uint32_t length) {
    const QByteArray dump = readAll((address >> 24) == 1 ? m.dump1 : m.dump2);
    return dump.mid(int(address & 0xFFFFFF), int(length));
}

TEST(DumpImport, EveryBlobComesFromItsDumpAndStringsAreRenumbered) {
    ImportedModel im;
    ASSERT_FALSE(im.ws.hasDataFile());
    ASSERT_TRUE(im.import().ok());
    Workspace& ws = im.ws;
    ASSERT_TRUE(ws.hasDataFile());
    EXPECT_EQ(ws.rowCount(ListKind::Pictures), im.model.pictures - 1);
    EXPECT_EQ(ws.rowCount(ListKind::Strings), im.model.strings);
    QByteArray blob;
    for (int i = 0; i < ws.rowCount(ListKind::Pictures); ++i) {
        blob = qvtest::valueOf(ws.readBlob(kPictureTable, i));
        const PictEntry& e = ws.image().pictures[size_t(i)];
        EXPECT_EQ(blob, dumpBytes(im.model, e.address, e.size)) << i;
    }
    for (int i = 0; i < ws.rowCount(ListKind::Strings); ++i) {
        EXPECT_EQ(ws.image().strings[size_t(i)].id, i);
        blob = qvtest::valueOf(ws.readBlob(kStringTable, i));
        const StrEntry& e = ws.image().strings[size_t(i)];
        EXPECT_EQ(blob, dumpBytes(im.model, e.address, e.size)) << i;
    }
    // Operators are unpacked into whole records by the operator format.
    blob = qvtest::valueOf(ws.readBlob(kOperatorTable, 0));
    ASSERT_EQ(blob.size(), int(OperRecord::kSize));
    const OperEntry& oe = ws.image().operators[0];
    const QByteArray packed = dumpBytes(im.model, oe.address, ws.image().operFormat.recordSize);
    OperRecord r;
    r.read(reinterpret_cast<const uint8_t*>(blob.constData()));
    const OperRecord expected = unpackOperatorRecord(packed, ws.image().operFormat);
    EXPECT_EQ(r.code0, expected.code0);
    EXPECT_EQ(r.name1, expected.name1);
    EXPECT_EQ(r.name3, expected.name3);
}

TEST(DumpImport, SavedTwiceGivesTheSameBytesAndTheSameItems) {
    ImportedModel im;
    ASSERT_TRUE(im.import().ok());
    const QString sav = im.model.tableFile, mem = QString(sav).replace(".sav", ".mem");
    const QByteArray importedSav = readAll(sav), importedMem = readAll(mem);
    ASSERT_TRUE(im.ws.save().ok());
    EXPECT_EQ(readAll(sav), importedSav);  // the import already wrote what a save writes
    EXPECT_EQ(readAll(mem), importedMem);
    ASSERT_TRUE(im.ws.save().ok());
    EXPECT_EQ(readAll(sav), importedSav);
    EXPECT_EQ(readAll(mem), importedMem);

    Workspace reread;
    ASSERT_TRUE(reread.open(sav).ok());
    for (int id : {1, 2, 3, 8}) EXPECT_EQ(reread.image().count(id), im.ws.image().count(id));
    EXPECT_EQ(reread.image().tableBlock(kCharMapTable), im.ws.image().tableBlock(kCharMapTable));
    EXPECT_EQ(reread.image().tableBlock(kAux6Table), im.ws.image().tableBlock(kAux6Table));
    EXPECT_EQ(reread.image().directory.reserved8, im.ws.image().directory.reserved8);
}

TEST(DumpImport, MissingOrShortDumpsAreClearErrors) {
    ImportedModel im;
    ASSERT_TRUE(im.ws.open(im.model.tableFile).ok());
    Result s = importFromFlashDumps(im.ws, im.model.dump1, QString());
    EXPECT_EQ(s.code(), ResultCode::NotFound);
    EXPECT_TRUE(s.message().contains("two flash dump"));

    // A second dump cut short: the import stops and leaves no data file behind.
    QFile cut(im.model.dump2);
    ASSERT_TRUE(cut.resize(0x10000));
    s = importFromFlashDumps(im.ws, im.model.dump1, im.model.dump2);
    EXPECT_EQ(s.code(), ResultCode::Refused);
    EXPECT_TRUE(s.message().contains("outside the flash dump")) << s.message().toStdString();
    EXPECT_FALSE(QFile::exists(im.dir.path("demo.mem")));
    EXPECT_FALSE(QFile::exists(im.dir.path("demo.me2")));
}

TEST(DumpImport, OneDumpModelUsesOnlyTheFirstDump) {
    ImportedModel im(2);
    ASSERT_TRUE(im.model.dump2.isEmpty());
    ASSERT_TRUE(im.import().ok());
    EXPECT_GT(im.ws.rowCount(ListKind::Pictures), 0);
}

}  // namespace
