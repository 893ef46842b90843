// Writes that read back what they wrote, through a USB adapter with its latency: a phone that
// acknowledges a write segment but stores it wrongly.
#include "e2e/e2e_support.h"
#include "image/byte_order.h"
#include "base/result.h"

#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;
using namespace e2e;

namespace {

const QStringList kUsbAdapter = {"--usb-latency-ms", "16"};

// One picture and a run of neighbouring strings.
constexpr int kPicture = 4;
const std::vector<std::pair<int, int>> kEdits = {{kPictureTable, kPicture}, {kStringTable, 5}, {kStringTable, 6},
                                                 {kStringTable, 7}, {kStringTable, 8}, {kStringTable, 9}};

TEST(VerifiedWrite, ASegmentStoredWronglyIsFoundItsRowTickedAgainAndNamed) {
    EditedRows files;
    ASSERT_TRUE(files.edit(kEdits));
    PhoneEmulator phone(files.dir, files.dumps);
    // The picture goes first: its first segment is stored with one byte wrong.
    ASSERT_TRUE(phone.start(kUsbAdapter + QStringList{"--corrupt-write-segment", "1"}));
    LinkSession session;
    const auto r = session.write(files.ws, {}, phone.device(), 115200);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, ResultCode::WriteNotVerified);
    EXPECT_EQ(session.bar.errors(), QStringList{"The phone does not hold what was written: pictures row 4"});
    EXPECT_EQ(files.ticked(ListKind::Pictures), std::vector<int>{kPicture});
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

TEST(VerifiedWrite, TheCommandLinesNoVerifySkipsTheReadBack) {
    EditedRows files;
    ASSERT_TRUE(files.edit(kEdits));
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
