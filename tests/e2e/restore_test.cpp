// Restore patches that are not what a backup makes: one cut short inside a record, and records
// at and past the largest size one transfer can carry.
#include "e2e/e2e_support.h"
#include "image/byte_order.h"
#include "base/result.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;
using namespace e2e;

namespace {

QByteArray record(uint32_t address, const QByteArray& data, qsizetype declaredLength = -1) {
    QByteArray head(8, '\0');
    putU32(reinterpret_cast<uint8_t*>(head.data()), address);
    putU32(reinterpret_cast<uint8_t*>(head.data()) + 4, uint32_t(declaredLength < 0 ? data.size() : declaredLength));
    return head + data;
}

// Inverted bytes of the phone's flash at a table address.
QByteArray invertedAt(const std::array<QByteArray, 2>& dumps, uint32_t address, qsizetype length) {
    const DumpPlace p = placeOf(address);
    QByteArray bytes = dumps[size_t(p.dump)].mid(p.offset, length);
    for (char& c : bytes) c = char(~c);
    return bytes;
}

TEST(Restore, APatchCutShortWritesItsWholeRecordsAndStillEndsTheConversation) {
    // The first two records straddle a 64 KiB boundary, the second lies in the second dump.
    const uint32_t first = 0x0103FF00, second = 0x02100000, third = 0x01180000;
    // Cut inside the third record's header, or inside its data.
    for (const qsizetype keepOfNext : {qsizetype(5), qsizetype(8 + 300)}) {
        SCOPED_TRACE(keepOfNext);
        ScratchDir dir;
        const Dumps dumps = copyDumps(dir);
        const std::array<QByteArray, 2> before{readAll(dumps.dump1), readAll(dumps.dump2)};
        const QByteArray a = invertedAt(before, first, 1000), b = invertedAt(before, second, 2000);
        std::array<QByteArray, 2> expected = before;
        expected[0].replace(placeOf(first).offset, a.size(), a);
        expected[1].replace(placeOf(second).offset, b.size(), b);
        writeAll(dir.path("cut.flp"), record(first, a) + record(second, b) + record(third, QByteArray(600, 'z')).left(keepOfNext));

        PhoneEmulator phone(dir, dumps);
        ASSERT_TRUE(phone.start());
        QFile patch(dir.path("cut.flp"));
        ASSERT_TRUE(patch.open(QIODevice::ReadOnly));
        LinkSession session;
        session.startRestore(patch, phone.device(), 28800);
        const auto r = session.waitForEnd();
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(resultMessage(*r), "File read error");
        ASSERT_EQ(session.bar.errors().size(), 1);
        EXPECT_TRUE(session.bar.errors()[0].contains("ends inside a record")) << session.bar.errors()[0].toStdString();
        EXPECT_FALSE(session.portOpenAtEnd());
        // The conversation ended properly: the loader closed the writes and saved the flash.
        ASSERT_TRUE(phone.waitForLog("finish: back to the firmware"));
        EXPECT_EQ(phone.count("end of write"), 1);
        EXPECT_EQ(phone.count(": ok"), 4) << "segments written";
        const QByteArray now1 = readAll(dumps.dump1), now2 = readAll(dumps.dump2);
        EXPECT_TRUE(now1 == expected[0]) << firstDifference(now1, expected[0]);
        EXPECT_TRUE(now2 == expected[1]) << firstDifference(now2, expected[1]);
        EXPECT_EQ(phone.stop(), 0);
    }
}

TEST(Restore, ARecordLargerThanOneTransferIsRefusedBeforeThePhoneIsCalled) {
    ScratchDir dir;
    const Dumps dumps = copyDumps(dir);
    const uint32_t address = 0x01100000;
    QByteArray largest(kTransferBufferBytes, '\0');
    for (qsizetype i = 0; i < largest.size(); ++i) largest[i] = char(i * 7 + i / 251);
    writeAll(dir.path("largest.flp"), record(address, largest));
    writeAll(dir.path("too-large.flp"), record(0x01001000, QByteArray(16, 'a')) + record(address, largest + "x"));

    PhoneEmulator phone(dir, dumps);
    ASSERT_TRUE(phone.start());
    const CliRun refused = runCli(QStringList{"phone", "restore", dir.path("too-large.flp")} + phoneOptions(phone));
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains("128001 bytes")) << refused.err.toStdString();
    EXPECT_EQ(phone.count("AT command"), 0) << "the phone was spoken to";

    // Exactly as large as a transfer: written in two segments either side of a 64 KiB boundary.
    const CliRun written = runCli(QStringList{"phone", "restore", dir.path("largest.flp"), "--baud", "28800"} + phoneOptions(phone));
    ASSERT_EQ(written.code, 0) << written.err.toStdString();
    ASSERT_TRUE(phone.waitForLog("finish: back to the firmware"));
    EXPECT_EQ(phone.stop(), 0);
    EXPECT_TRUE(readAll(dumps.dump1).mid(placeOf(address).offset, largest.size()) == largest);
}

}  // namespace
