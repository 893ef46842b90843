#include "emu/engine_harness.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

using emutest::dump1Address;
using emutest::EngineHarness;
using emutest::LoaderPhone;
using emutest::readCommand;
using emutest::writeSegment;
using qv::emu::PhoneSettings;

const QByteArray kTrailer(2, '\0');

TEST(Faults, RefusedSegmentIsRefusedAgainWhenResentUpToTheGivenTimes) {
    PhoneSettings settings;
    settings.faults.refuseSegment = 2;
    settings.faults.refuseTimes = 2;
    LoaderPhone p(settings);
    EngineHarness& phone = *p.phone;
    const QByteArray first = writeSegment(dump1Address(0), "a");
    const QByteArray second = writeSegment(dump1Address(0x10), "b");
    EXPECT_EQ(phone.exchange(first), "!");
    EXPECT_EQ(phone.exchange(second), "?");
    EXPECT_EQ(phone.exchange(second), "?") << "sent again at once: refused once more";
    EXPECT_EQ(phone.exchange(second), "!") << "the given times are used up";
    EXPECT_EQ(phone.exchange(second), "!") << "a fourth segment, not the second";

    // A different segment in between ends the run of refusals.
    settings.faults.refuseTimes = 3;
    LoaderPhone q(settings);
    EXPECT_EQ(q.phone->exchange(first), "!");
    EXPECT_EQ(q.phone->exchange(second), "?");
    EXPECT_EQ(q.phone->exchange(first), "!");
    EXPECT_EQ(q.phone->exchange(second), "!");
}

TEST(Faults, SilentAfterCountsLoaderBytesAndNeverAnswersAgain) {
    PhoneSettings settings;
    settings.faults.silentAfter = 2;
    LoaderPhone p(settings);
    EngineHarness& phone = *p.phone;
    EXPECT_EQ(phone.exchange("S\x04"), "!") << "the first two bytes are still answered";
    EXPECT_EQ(phone.exchange(readCommand(dump1Address(0), 1)), "");
    EXPECT_EQ(phone.exchange("u"), "");
    EXPECT_EQ(phone.exchange("AT%SWV\r\r\n"), "");
}

TEST(Faults, DropReadByteLosesOneByteOfTheFirstReadOnly) {
    PhoneSettings settings;
    settings.faults.dropReadByte = 3;
    LoaderPhone p(settings);
    EngineHarness& phone = *p.phone;
    ASSERT_EQ(phone.exchange(writeSegment(dump1Address(0), "abcdef")), "!");
    EXPECT_EQ(phone.exchange(readCommand(dump1Address(0), 6)), "abdef" + kTrailer);
    phone.exchange("!");
    EXPECT_EQ(phone.exchange(readCommand(dump1Address(0), 6)), "abcdef" + kTrailer);
}

TEST(Faults, GarbageGoesBeforeEveryLoaderAcknowledgement) {
    PhoneSettings settings;
    settings.faults.garbageBeforeAck = 2;
    LoaderPhone p(settings);
    EngineHarness& phone = *p.phone;
    EXPECT_EQ(p.announcement, QByteArray("\x55\x55!\x01\x02\x03", 6));
    EXPECT_EQ(phone.exchange("S\x04"), "\x55\x55!");
    EXPECT_EQ(phone.exchange(writeSegment(dump1Address(0), "a")), "\x55\x55!");
    EXPECT_EQ(phone.exchange(QByteArray("W\0\0\0\0", 5)), "\x55\x55!");
    EXPECT_EQ(phone.exchange(writeSegment(0x0100FFFF, "ab")), "?") << "refusals carry none";
    EXPECT_EQ(phone.exchange(readCommand(dump1Address(0), 1)), "a" + kTrailer) << "read data carry none";
}

}  // namespace
