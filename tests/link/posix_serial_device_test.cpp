// The POSIX serial device on a pseudo-terminal: what the emulator's line is made of, and what
// a pulled USB adapter looks like (the other side goes away).
#ifndef _WIN32
#include "link/linux_custom_speed.h"
#include "link/serial_device.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

using namespace qv;

namespace {

struct Pty {
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) name = ::ptsname(master);
    }
    ~Pty() { closeMaster(); }
    void closeMaster() {
        if (master >= 0) ::close(master);
        master = -1;
    }
    int master = -1;
    std::string name;
};

SerialConfig lineOf(uint32_t baud, bool twoStopBits, bool modemLines) {
    SerialConfig c;
    c.line = {baud, 8, twoStopBits, modemLines, modemLines};
    return c;
}

TEST(PosixSerialDevice, ConfiguresAPtyAtEverySpeedWithoutModemLines) {
    Pty pty;
    ASSERT_FALSE(pty.name.empty());
    auto dev = createPlatformSerialDevice();
    ASSERT_TRUE(dev->open(pty.name, true));
    // 28,800 is in no termios table; a pty has no DTR or RTS to set.
    for (const uint32_t baud : {28800u, 115200u, 230400u}) {
        ASSERT_TRUE(dev->configure(lineOf(baud, true, false)).ok()) << baud;
#ifdef __linux__
        EXPECT_EQ(readLinuxSpeed(int(dev->handleNumber())), std::optional<uint32_t>(baud));
#endif
    }
    EXPECT_TRUE(dev->configure(lineOf(19200, false, true)).ok());
    EXPECT_TRUE(dev->close());
    EXPECT_FALSE(dev->configure(lineOf(19200, false, true)).ok()) << "closed";
}

// The debug log shows the mask a configure replaces; a configure that sets none keeps it.
TEST(PosixSerialDevice, ReportsTheEventMaskTheLastConfigureSet) {
    Pty pty;
    auto dev = createPlatformSerialDevice();
    ASSERT_TRUE(dev->open(pty.name, true));
    SerialConfig withMask = lineOf(28800, true, false);
    withMask.windows.eventMask = 5;
    EXPECT_EQ(dev->configure(withMask).previousEventMask, 0u);
    EXPECT_EQ(dev->configure(lineOf(19200, false, true)).previousEventMask, 5u);
    ASSERT_TRUE(dev->open(pty.name, false));
    EXPECT_EQ(dev->configure(withMask).previousEventMask, 5u);
}

TEST(PosixSerialDevice, PurgesWaitingInputAndNoticesTheOtherSideGo) {
    Pty pty;
    auto dev = createPlatformSerialDevice();
    ASSERT_TRUE(dev->open(pty.name, true));
    ASSERT_TRUE(dev->configure(lineOf(115200, true, false)).ok());
    ASSERT_EQ(::write(pty.master, "stale", 5), 5);
    ASSERT_TRUE(dev->waitForInput(1000));
    EXPECT_TRUE(dev->purge(Queues::Input));
    EXPECT_EQ(dev->inputCount(), 0);

    const uint8_t request[2] = {0x52, 0x21};
    EXPECT_EQ(dev->write(request, 2), 2);
    EXPECT_TRUE(dev->purge(Queues::Both)) << "what was written is not lost";
    char echo[2] = {};
    EXPECT_EQ(::read(pty.master, echo, 2), 2);
    EXPECT_EQ(uint8_t(echo[0]), 0x52);
    ASSERT_EQ(::write(pty.master, "!", 1), 1);
    ASSERT_TRUE(dev->waitForInput(1000));
    uint8_t answer = 0;
    EXPECT_EQ(dev->read(&answer, 1), 1);
    EXPECT_EQ(answer, 0x21);

    EXPECT_FALSE(dev->lost());
    pty.closeMaster();
    EXPECT_FALSE(dev->waitForInput(1000));
    EXPECT_TRUE(dev->lost());
}

}  // namespace
#endif
