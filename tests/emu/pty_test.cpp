// The program itself, on a real pseudo-terminal, opened the way the host opens a serial port.
#include "phone_emu/stand_in_loader.h"
#include "support/test_support.h"

#include <QFile>
#include <QProcess>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QString kProgram = QStringLiteral(QV_BIN_DIR "/quorvanta-phone-emu");

int openRaw(const QString& device) {
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY);
    if (fd < 0) return fd;
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

// Collects bytes until the reply ends with `end` or has `count` bytes; gives up after a
// generous while so that a broken emulator fails the test instead of hanging it.
QByteArray readUntil(int fd, const QByteArray& end, qsizetype count = -1) {
    QByteArray got;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!(count < 0 ? got.endsWith(end) : got.size() >= count) && std::chrono::steady_clock::now() < giveUp) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) got.append(buffer, n);
    }
    return got;
}

QByteArray ask(const QString& device, const QByteArray& command) {
    const int fd = openRaw(device);
    if (fd < 0) return "cannot open " + QFile::encodeName(device) + ": " + std::strerror(errno);
    const QByteArray sent = command + "\r\r\n";
    const QByteArray reply = ::write(fd, sent.constData(), size_t(sent.size())) == sent.size()
                                 ? readUntil(fd, "OK\r\n")
                                 : QByteArray("write failed");
    ::close(fd);
    return reply;
}

TEST(PhoneOnPty, AnswersOnThePrintedDeviceAcrossReopeningsAndStopsAtEndOfInput) {
    ASSERT_TRUE(QFile::exists(kProgram)) << "build quorvanta-phone-emu first";
    qvtest::ScratchDir dir;
    const QString link = dir.path("phone");
    QProcess emu;
    emu.start(kProgram, {"--link", link, "--exit-on-stdin-eof", "--stats", "--model", "PTY-1"});
    ASSERT_TRUE(emu.waitForStarted());
    ASSERT_TRUE(emu.waitForReadyRead(10000));
    const QString device = QString::fromLocal8Bit(emu.readLine()).trimmed();
    EXPECT_TRUE(device.startsWith("/dev/pts/")) << device.toStdString();
    EXPECT_EQ(QFile::symLinkTarget(link), device);

    EXPECT_EQ(ask(device, "AT%SWV"), "AT%SWV\r\r\n[V10a]\r\n\r\nOK\r\n");
    // The host closes the port after every exchange; the next opening must find it alive.
    EXPECT_EQ(ask(link, "AT+CGMM"), "AT+CGMM\r\r\nPTY-1\r\n\r\nOK\r\n");

    emu.closeWriteChannel();
    ASSERT_TRUE(emu.waitForFinished(10000));
    EXPECT_EQ(emu.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(emu.exitCode(), 0);
    const QByteArray stats = emu.readAllStandardError();
    EXPECT_TRUE(stats.contains("firmware  received 19, sent 46")) << stats.toStdString();
    EXPECT_FALSE(QFile::exists(link)) << "the link goes with the emulator";
}

bool send(int fd, const QByteArray& bytes) { return ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size(); }

// A read reply far larger than the pty holds must wait for the host to read, not get lost.
TEST(PhoneOnPty, LargeReadReplyGetsThroughAHostThatReadsLate) {
    ASSERT_TRUE(QFile::exists(kProgram)) << "build quorvanta-phone-emu first";
    qvtest::ScratchDir dir;
    QByteArray dump(0x40000, '\0');
    for (int i = 0; i < dump.size(); ++i) dump[i] = char(i * 13 + (i >> 9));
    qvtest::writeAll(dir.path("one.bin"), dump);
    QProcess emu;
    emu.start(kProgram, {"--dump1", dir.path("one.bin"), "--boot-delay", "0", "--start-delay", "0",
                         "--exit-on-stdin-eof"});
    ASSERT_TRUE(emu.waitForReadyRead(10000));
    const int fd = openRaw(QString::fromLocal8Bit(emu.readLine()).trimmed());
    ASSERT_GE(fd, 0);

    ASSERT_TRUE(send(fd, "AT%FKPD=\"e\",100,0\r\r\n"));
    readUntil(fd, "OK\r\n");
    ASSERT_TRUE(send(fd, "E"));
    ASSERT_TRUE(readUntil(fd, "C").endsWith('C'));
    const auto& h = qv::kBootHeader;
    ASSERT_TRUE(send(fd, QByteArray(reinterpret_cast<const char*>(h.data()), h.size()) + qv::emu::standInLoaderImage()));
    ASSERT_EQ(readUntil(fd, {}, 4), QByteArray("!\x01\x02\x03", 4));
    ASSERT_TRUE(send(fd, "!"));

    const int length = 128000;
    ASSERT_TRUE(send(fd, QByteArray::fromHex("52 00 FF FF F8 00 01 F4 00")));  // 'R', table address 0x01000000
    ::usleep(100'000);  // long enough for the reply to fill the pty's buffer
    const QByteArray reply = readUntil(fd, {}, length + 2);
    ASSERT_EQ(reply.size(), length + 2);
    EXPECT_TRUE(reply.left(length) == dump.left(length));
    ASSERT_TRUE(send(fd, "!u"));
    ::close(fd);
    emu.closeWriteChannel();
    ASSERT_TRUE(emu.waitForFinished(10000));
    EXPECT_EQ(emu.exitCode(), 0);
}

}  // namespace
