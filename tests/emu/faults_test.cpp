#include "emu/engine_harness.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

using emutest::dump1Address;
using emutest::EngineHarness;
using emutest::readCommand;
using emutest::writeSegment;
using qv::emu::PhoneSettings;

const QByteArray kTrailer(2, '\0');

// A loader whose phone has the given faults.
struct FaultyPhone : emutest::LoaderPhone {
    explicit FaultyPhone(const qv::emu::FaultPlan& faults) : LoaderPhone(withFaults(faults)) {}
    static PhoneSettings withFaults(const qv::emu::FaultPlan& faults) {
        PhoneSettings settings;
        settings.faults = faults;
        return settings;
    }
};

TEST(Faults, RefusedSegmentIsRefusedAgainWhenResentUpToTheGivenTimes) {
    qv::emu::FaultPlan faults;
    faults.refuseSegment = 2;
    faults.refuseTimes = 2;
    FaultyPhone p(faults);
    EngineHarness& phone = *p.phone;
    const QByteArray first = writeSegment(dump1Address(0), "a");
    const QByteArray second = writeSegment(dump1Address(0x10), "b");
    EXPECT_EQ(phone.exchange(first), "!");
    EXPECT_EQ(phone.exchange(second), "?");
    EXPECT_EQ(phone.exchange(second), "?") << "sent again at once: refused once more";
    EXPECT_EQ(phone.exchange(second), "!") << "the given times are used up";
    EXPECT_EQ(phone.exchange(second), "!") << "a fourth segment, not the second";

    // A different segment in between ends the run of refusals.
    faults.refuseTimes = 3;
    FaultyPhone q(faults);
    EXPECT_EQ(q.phone->exchange(first), "!");
    EXPECT_EQ(q.phone->exchange(second), "?");
    EXPECT_EQ(q.phone->exchange(first), "!");
    EXPECT_EQ(q.phone->exchange(second), "!");
}

TEST(Faults, SilentAfterCountsLoaderBytesAndNeverAnswersAgain) {
    qv::emu::FaultPlan faults;
    faults.silentAfter = 2;
    FaultyPhone p(faults);
    EngineHarness& phone = *p.phone;
    EXPECT_EQ(phone.exchange("S\x04"), "!") << "the first two bytes are still answered";
    EXPECT_EQ(phone.exchange(readCommand(dump1Address(0), 1)), "");
    EXPECT_EQ(phone.exchange("u"), "");
    EXPECT_EQ(phone.exchange("AT%SWV\r\r\n"), "");
}

TEST(Faults, DropReadByteLosesOneByteOfTheFirstReadOnly) {
    qv::emu::FaultPlan faults;
    faults.dropReadByte = 3;
    FaultyPhone p(faults);
    EngineHarness& phone = *p.phone;
    ASSERT_EQ(phone.exchange(writeSegment(dump1Address(0), "abcdef")), "!");
    EXPECT_EQ(phone.exchange(readCommand(dump1Address(0), 6)), "abdef" + kTrailer);
    phone.exchange("!");
    EXPECT_EQ(phone.exchange(readCommand(dump1Address(0), 6)), "abcdef" + kTrailer);
}

TEST(Faults, GarbageGoesBeforeEveryLoaderAcknowledgement) {
    qv::emu::FaultPlan faults;
    faults.garbageBeforeAck = 2;
    FaultyPhone p(faults);
    EngineHarness& phone = *p.phone;
    EXPECT_EQ(p.announcement, QByteArray("\x55\x55!\x01\x02\x03", 6));
    EXPECT_EQ(phone.exchange("S\x04"), "\x55\x55!");
    EXPECT_EQ(phone.exchange(writeSegment(dump1Address(0), "a")), "\x55\x55!");
    EXPECT_EQ(phone.exchange(QByteArray("W\0\0\0\0", 5)), "\x55\x55!");
    EXPECT_EQ(phone.exchange(writeSegment(0x0100FFFF, "ab")), "?") << "refusals carry none";
    EXPECT_EQ(phone.exchange(readCommand(dump1Address(0), 1)), "a" + kTrailer) << "read data carry none";
}

}  // namespace
