// The USB adapter in front of the host, and the phone that acknowledges a write segment but
// stores it wrongly.
#include "emu/engine_harness.h"
#include "phone_emu/emu_options.h"
#include "phone_emu/usb_adapter.h"

#include <gtest/gtest.h>

namespace {

using emutest::dump1Address;
using emutest::EngineHarness;
using emutest::ms;
using emutest::readCommand;
using emutest::writeSegment;
using qv::emu::Time;
using qv::emu::UsbAdapter;

void feed(UsbAdapter& a, const QByteArray& bytes, Time from, Time step) {
    for (qsizetype i = 0; i < bytes.size(); ++i) a.receive(bytes[i], from + step * i);
}

TEST(UsbAdapter, FullPacketsGoAtOnceAPartialOneWhenItsTimerRunsOut) {
    UsbAdapter a(ms(16));
    // A short answer: held back 16 ms from its first byte.
    feed(a, "!", ms(100), ms(0));
    EXPECT_EQ(a.nextDeadline(), ms(116));
    EXPECT_EQ(a.release(ms(115)), "");
    EXPECT_EQ(a.release(ms(116)), "!");
    EXPECT_FALSE(a.nextDeadline().has_value());

    // 130 bytes: two whole packets as soon as each is full, the last 6 bytes a latency later.
    const QByteArray block(130, 'x');
    feed(a, block.left(61), ms(200), Time(0));
    EXPECT_EQ(a.release(ms(201)), "");
    feed(a, block.mid(61, 1), ms(202), Time(0));
    EXPECT_EQ(a.release(ms(202)).size(), 62) << "a full packet does not wait";
    feed(a, block.mid(62), ms(203), ms(1));  // the 125th byte (first of the partial) at 203 + 62 ms
    EXPECT_EQ(a.release(ms(203 + 67)).size(), 62);
    EXPECT_EQ(a.nextDeadline(), ms(203 + 62 + 16));
    EXPECT_EQ(a.release(ms(203 + 62 + 15)), "");
    EXPECT_EQ(a.release(ms(203 + 62 + 16)).size(), 6);

    // No latency: a native port passes every byte on as it crosses.
    UsbAdapter native;
    feed(native, "ab", ms(5), ms(0));
    EXPECT_EQ(native.release(ms(5)), "ab");
}

TEST(UsbAdapter, TheCorruptedSegmentIsAcknowledgedButReadsBackWithOneByteWrong) {
    const auto options = qv::emu::parseEmuOptions(
        {"--usb-latency-ms", "16", "--corrupt-write-segment", "2", "--corrupt-write-byte", "last"});
    ASSERT_TRUE(options) << options.error().message().toStdString();
    EXPECT_EQ(options->usbLatency, ms(16));
    emutest::LoaderPhone p(options->phone);
    EngineHarness& phone = *p.phone;
    const QByteArray a(40, 'a'), b(40, 'b');
    EXPECT_EQ(phone.exchange(writeSegment(dump1Address(0x100), a)), "!");
    EXPECT_EQ(phone.exchange(writeSegment(dump1Address(0x200), b)), "!") << "acknowledged all the same";
    EXPECT_EQ(phone.exchange(writeSegment(dump1Address(0x300), b)), "!");
    const QByteArray trailer(2, '\0');
    EXPECT_EQ(phone.exchange(readCommand(dump1Address(0x100), 40)), a + trailer);
    phone.exchange("!");
    QByteArray wrong = b;
    wrong[39] = char(~wrong[39]);
    EXPECT_EQ(phone.exchange(readCommand(dump1Address(0x200), 40)), wrong + trailer);
    phone.exchange("!");
    EXPECT_EQ(phone.exchange(readCommand(dump1Address(0x300), 40)), b + trailer) << "only once";
}

}  // namespace
