#include "emu/engine_harness.h"
#include "support/test_support.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

using emutest::dump1Address;
using emutest::dump2Address;
using emutest::EngineHarness;
using emutest::LoaderPhone;
using emutest::ms;
using emutest::readCommand;
using emutest::writeSegment;
using qv::emu::PhoneMode;
using qv::emu::PhoneSettings;

const QByteArray kTrailer(2, '\0');

TEST(LoaderCommands, ReadsTheTableAddressEightAboveTheLoaderAddress) {
    LoaderPhone p;
    struct Case {
        const char* name;
        uint32_t address;
        uint32_t length;
        QByteArray expected;
    };
    const Case cases[] = {
        {"start of dump 1", dump1Address(0), 16, p.dump1.left(16)},
        {"inside dump 1", dump1Address(0x12345), 300, p.dump1.mid(0x12345, 300)},
        {"dump 2 by a top byte of 2", dump2Address(0x10), 5, p.dump2.mid(0x10, 5)},
        {"dump 2 by a top byte of 0", 0x00010000, 3, p.dump2.mid(0x10008, 3)},
        {"top byte decided after adding 8", 0x00FFFFF8, 2, p.dump1.left(2)},
        {"dump 2 from one past dump 1's last address", 0x01FFFFF8, 2, p.dump2.left(2)},
        {"the table address wraps to 0 in dump 2", 0xFFFFFFF8, 2, p.dump2.left(2)},
        {"past the end reads erased", dump1Address(0x3FFFE), 4, p.dump1.right(2) + "\xFF\xFF"},
        {"nothing", dump1Address(0), 0, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(p.phone->exchange(readCommand(c.address, c.length)), c.expected + kTrailer) << c.name;
        EXPECT_EQ(p.phone->exchange("!"), "") << c.name;
    }
}

TEST(LoaderCommands, AcceptedSegmentIsAnsweredAfterTheAckDelayAndSavedAtFinish) {
    PhoneSettings settings;
    settings.ackDelay = ms(15);
    LoaderPhone p(settings);
    // The worked example: address 65,536, three bytes, checksum FF F5.
    const QByteArray segment = QByteArray::fromHex("57 00 01 00 00 00 00 00 03 01 02 03 FF F5");
    ASSERT_EQ(segment, writeSegment(0x10000, "\x01\x02\x03"));
    EXPECT_EQ(p.phone->exchange(segment, ms(14)), "") << "programming takes the ack delay";
    EXPECT_EQ(p.phone->exchange("", ms(1)), "!");
    EXPECT_EQ(p.read(0x10000, 3), "\x01\x02\x03");
    EXPECT_EQ(p.phone->exchange(QByteArray("W\0\0\0\0", 5), ms(14)), "") << "end of write waits as well";
    EXPECT_EQ(p.phone->exchange("", ms(1)), "!");

    EXPECT_EQ(qvtest::readAll(p.path2), p.dump2) << "nothing reaches the file before the finish";
    EXPECT_EQ(p.phone->exchange("u"), "");
    EXPECT_EQ(p.phone->engine.mode(), PhoneMode::Firmware);
    EXPECT_EQ(p.phone->engine.baud(), 19200u);
    QByteArray expected = p.dump2;
    expected.replace(0x10008, 3, "\x01\x02\x03");
    EXPECT_EQ(qvtest::readAll(p.path2), expected);
    EXPECT_EQ(qvtest::readAll(p.path1), p.dump1);
    EXPECT_EQ(QDir(p.dir.path()).entryList(QDir::Files), QStringList({"one.bin", "two.bin"})) << "no temporary left";
    EXPECT_EQ(p.phone->exchange("AT%SWV\r\r\n"), "AT%SWV\r\r\n[V10a]\r\n\r\nOK\r\n") << "firmware runs again";
}

TEST(LoaderCommands, RefusedSegmentsAreAnsweredWithQuestionMarkAndChangeNothing) {
    QByteArray badSum = writeSegment(dump1Address(0x100), "abc");
    badSum[badSum.size() - 1] = char(badSum.back() + 1);
    struct Case {
        const char* name;
        QByteArray segment;
        uint32_t checkAddress;
    };
    const Case cases[] = {
        {"wrong checksum", badSum, dump1Address(0x100)},
        {"crosses 64 KiB", writeSegment(0x0100FFFF, "ab"), 0x0100FFFF},
        {"longer than 64 KiB", writeSegment(0x01010000, QByteArray(0x10001, 'x')), 0x01010000},
        {"past the end of the dump", writeSegment(dump2Address(0x1FFFF), "ab"), dump2Address(0x1FFFF)},
    };
    for (const Case& c : cases) {
        LoaderPhone p;
        const QByteArray before = p.read(c.checkAddress, 4);
        EXPECT_EQ(p.phone->exchange(c.segment), "?") << c.name;
        EXPECT_EQ(p.read(c.checkAddress, 4), before) << c.name;
        EXPECT_EQ(p.phone->exchange(writeSegment(dump1Address(0), "ok")), "!") << c.name << ": still in step";
        p.phone->exchange("u");
        EXPECT_EQ(qvtest::readAll(p.path1).mid(2), p.dump1.mid(2)) << c.name;
        EXPECT_EQ(qvtest::readAll(p.path2), p.dump2) << c.name;
    }
}

TEST(LoaderCommands, SpeedSwitchIsAcknowledgedAtTheOldRate) {
    struct Case {
        QByteArray command;
        QByteArray answer;
        uint32_t baudAfter;
    };
    const Case cases[] = {
        {QByteArray("S\x00", 2), "!", 9600},   {"S\x01", "!", 19200},  {"S\x03", "!", 38400},
        {"S\x04", "!", 115200},                {"S\x05", "!", 230400}, {"S\x02", "?", 28800},
        {QByteArray("\0\0", 2), "", 28800},  // the host's stand-in for a speed it cannot name
    };
    for (const Case& c : cases) {
        LoaderPhone p;
        EXPECT_EQ(p.phone->exchange(c.command), c.answer) << c.command.toHex().toStdString();
        if (!c.answer.isEmpty()) {
            EXPECT_EQ(p.phone->sent.back().baud, 28800u);
        }
        EXPECT_EQ(p.phone->engine.baud(), c.baudAfter) << c.command.toHex().toStdString();
        EXPECT_EQ(p.read(dump1Address(0), 2), p.dump1.left(2)) << "commands still understood";
    }
}

TEST(LoaderCommands, CommandsArrivingDuringTheAckDelayAreAnsweredInOrder) {
    LoaderPhone p;
    const QByteArray reply = p.phone->exchange(writeSegment(dump1Address(0x40), "xyz") + readCommand(dump1Address(0x40), 3));
    EXPECT_EQ(reply, "!xyz" + kTrailer);
}

}  // namespace
