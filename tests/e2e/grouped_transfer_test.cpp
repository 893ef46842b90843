// Transfers through a USB adapter with its latency, in grouped blocks, and writes that read
// back what they wrote: the files a read makes, the progress it shows, and a phone that
// acknowledges a write segment but stores it wrongly.
#include "e2e/e2e_support.h"
#include "editors/item_views.h"
#include "files/workspace.h"
#include "image/byte_order.h"
#include "base/result.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;
using namespace e2e;

namespace {

const QStringList kUsbAdapter = {"--usb-latency-ms", "16"};

TEST(GroupedTransfer, AReadInGroupsThroughAUsbAdapterGivesTheDumpImportsDataAndCountsEveryItem) {
    ScratchDir dir;
    PhoneEmulator phone(dir, copyDumps(dir));
    ASSERT_TRUE(phone.start(kUsbAdapter));
    const QString table = dir.path("phone.sav");
    copyFile(demo().tableFile, table);
    Workspace ws;
    ASSERT_TRUE(ws.open(table).ok());
    LinkSession session;
    const auto r = session.read(ws, phone.device(), 115200);
    ASSERT_TRUE(r.has_value());
    ASSERT_EQ(*r, ResultCode::Ok) << session.bar.errors().join('\n').toStdString();

    QString builtMem = demo().builtTable;
    builtMem.replace(".sav", ".mem");
    const QByteArray mem = readAll(dir.path("phone.mem"));
    EXPECT_TRUE(mem == readAll(builtMem)) << firstDifference(mem, readAll(builtMem));

    // Far fewer Read blocks than items (one more for the version block).
    const int items = demo().pictures + demo().melodies + demo().operators + demo().strings;
    const int reads = phone.count("read ");
    EXPECT_GE(reads, 5);
    EXPECT_LT(reads, items / 4) << phone.log().toStdString();

    // The text still counts items, each once and in order.
    const struct {
        const char* label;
        int count;
    } tables[] = {{"Reading pictures -", demo().pictures}, {"Reading melodies -", demo().melodies},
                  {"Reading operators list -", demo().operators}, {"Reading strings -", demo().strings}};
    const QStringList texts = session.bar.texts();
    for (const auto& t : tables) {
        QStringList expected, shown;
        for (int k = 1; k <= t.count; ++k) expected << QStringLiteral("%1 %2 of %3").arg(t.label).arg(k).arg(t.count);
        for (const QString& text : texts)
            if (text.startsWith(QLatin1String(t.label))) shown << text;
        EXPECT_EQ(shown, expected) << t.label;
    }
    EXPECT_EQ(phone.stop(), 0);
}

// The demo's data file with one picture and a run of neighbouring strings changed and ticked.
struct EditedRows {
    ScratchDir dir;
    Dumps dumps = copyDumps(dir);
    QString table = copyBuiltPair(dir, "edit");
    Workspace ws;
    static constexpr int kPicture = 4;
    static constexpr int kFirstString = 5, kStrings = 5;

    bool edit() {
        if (!ws.open(table).ok() || !loadOperatorRecords(ws).ok()) return false;
        std::vector<std::pair<int, int>> rows = {{kPictureTable, kPicture}};
        for (int s = kFirstString; s < kFirstString + kStrings; ++s) rows.push_back({kStringTable, s});
        for (const auto& [id, row] : rows) {
            QByteArray blob;
            if (!ws.readBlob(id, row, blob).ok() || blob.isEmpty()) return false;
            for (char& c : blob) c = char(c ^ 0x5A);
            if (!ws.writeBlob(id, row, blob).ok()) return false;
            ws.ticks(id == kPictureTable ? ListKind::Pictures : ListKind::Strings)[size_t(row)] = true;
        }
        return ws.dataFile().flush();
    }
    std::vector<int> ticked(ListKind kind) {
        std::vector<int> rows;
        for (size_t i = 0; i < ws.ticks(kind).size(); ++i)
            if (ws.ticks(kind)[i]) rows.push_back(int(i));
        return rows;
    }
};

TEST(VerifiedWrite, ASegmentStoredWronglyIsFoundItsRowTickedAgainAndNamed) {
    EditedRows files;
    ASSERT_TRUE(files.edit());
    PhoneEmulator phone(files.dir, files.dumps);
    // The picture goes first: its first segment is stored with one byte wrong.
    ASSERT_TRUE(phone.start(kUsbAdapter + QStringList{"--corrupt-write-segment", "1"}));
    LinkSession session;
    const auto r = session.write(files.ws, {}, phone.device(), 115200);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, ResultCode::WriteNotVerified);
    EXPECT_EQ(session.bar.errors(), QStringList{"The phone does not hold what was written: pictures row 4"});
    EXPECT_EQ(files.ticked(ListKind::Pictures), std::vector<int>{EditedRows::kPicture});
    EXPECT_TRUE(files.ticked(ListKind::Strings).empty()) << "the strings arrived whole";
    EXPECT_EQ(phone.count("stored wrong"), 1);
    // The strings lie back to back: one Write block. The read-back comes after the end of
    // write, and the loader is still let go properly.
    EXPECT_EQ(phone.count("write "), 2) << phone.log().toStdString();
    const QByteArray log = phone.log();
    EXPECT_GT(log.lastIndexOf("read "), log.indexOf("end of write"));
    EXPECT_TRUE(phone.waitForLog("finish: back to the firmware"));
    EXPECT_FALSE(session.portOpenAtEnd());
    EXPECT_EQ(phone.stop(), 0);
}

TEST(VerifiedWrite, CancelDuringTheReadBackEndsAbortedNeverDone) {
    EditedRows files;
    ASSERT_TRUE(files.edit());
    PhoneEmulator phone(files.dir, files.dumps);
    ASSERT_TRUE(phone.start());
    LinkSession session;

    session.bar.armGate([](const QString& text, int, int) { return text.startsWith("Checking what was written -"); });
    session.startWrite(files.ws, {}, phone.device(), 115200);
    ASSERT_TRUE(session.bar.waitForGate(20000)) << session.bar.texts().join('\n').toStdString();
    session.cancel();
    session.bar.releaseGate();
    const auto r = session.waitForEnd(10000);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, ResultCode::Aborted);
    EXPECT_EQ(session.bar.lastText(), "Operation aborted.");
    EXPECT_FALSE(session.portOpenAtEnd());
    EXPECT_EQ(phone.stop(), 0);
}

TEST(VerifiedWrite, TheCommandLinesNoVerifySkipsTheReadBack) {
    EditedRows files;
    ASSERT_TRUE(files.edit());
    PhoneEmulator phone(files.dir, files.dumps);
    ASSERT_TRUE(phone.start(kUsbAdapter + QStringList{"--corrupt-write-segment", "1"}));
    const CliRun run = runCli(QStringList{"phone", "write", files.table, "--pictures", "4", "--strings", "5,6,7,8,9", "--baud",
                                          "115200", "--no-verify"} + phoneOptions(phone), files.dir.path());
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    ASSERT_TRUE(phone.waitForLog("finish: back to the firmware"));
    const QByteArray log = phone.log();
    EXPECT_EQ(phone.count("stored wrong"), 1);
    EXPECT_EQ(log.indexOf("read ", log.indexOf("end of write")), -1) << "nothing read back";
    EXPECT_EQ(phone.stop(), 0);
}

TEST(VerifiedWrite, ARestoreReadsBackItsRecordsAndNamesOneStoredWrongly) {
    ScratchDir dir;
    const Dumps dumps = copyDumps(dir);
    QByteArray patch;
    for (const uint32_t address : {0x01100100u, 0x01100500u, 0x02100100u}) {  // one segment each
        QByteArray record(8, '\0');
        putU32(reinterpret_cast<uint8_t*>(record.data()), address);
        putU32(reinterpret_cast<uint8_t*>(record.data()) + 4, 300);
        patch += record + QByteArray(300, char(address >> 10));
    }
    writeAll(dir.path("p.flp"), patch);
    const QStringList restore = {"phone", "restore", dir.path("p.flp"), "--baud", "115200"};
    // Whichever byte of the segment is stored wrongly, the read-back finds it.
    const std::pair<const char*, int> cases[] = {{"first", 0}, {"middle", 150}, {"last", 299}};
    for (const auto& [which, byte] : cases) {
        SCOPED_TRACE(which);
        PhoneEmulator phone(dir, dumps);
        ASSERT_TRUE(phone.start({"--corrupt-write-segment", "2", "--corrupt-write-byte", which}));
        const CliRun bad = runCli(restore + phoneOptions(phone), dir.path());
        EXPECT_EQ(bad.code, 1);
        EXPECT_TRUE(bad.err.startsWith("The phone does not hold what was written: patch record 2 (address 0x01100500"))
            << bad.err.toStdString();
        EXPECT_EQ(phone.count(QStringLiteral("(byte %1 stored wrong").arg(byte).toUtf8()), 1) << phone.log().toStdString();
        if (byte == 0) {  // the fault is spent: the same patch again is written and verified
            const CliRun good = runCli(restore + phoneOptions(phone), dir.path());
            EXPECT_EQ(good.code, 0) << good.err.toStdString();
            ASSERT_TRUE(phone.waitForLog("finish: back to the firmware", 2));
        }
        EXPECT_EQ(phone.stop(), 0);
    }
}

}  // namespace
