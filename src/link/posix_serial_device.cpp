// Serial devices on POSIX systems through termios; on Linux termios2 carries speeds that the
// standard table lacks (28,800 among them). Pseudo-terminals work: they have no modem lines,
// so a DTR/RTS request they cannot carry is not an error.
#ifndef _WIN32
#include "link/serial_device.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include "link/linux_custom_speed.h"
#ifdef __linux__
#include <linux/serial.h>
#endif

namespace qv {
namespace {

// What the kernel answers once the device has gone: an unplugged adapter or a pseudo-terminal
// whose other side closed is hung up, and every call on it fails with one of these.
bool meansGone(int e) { return e == EIO || e == ENXIO || e == ENODEV || e == EPIPE || e == EBADF; }

class PosixSerialDevice final : public SerialDevice {
public:
    ~PosixSerialDevice() override { close(); }

    bool open(const std::string& name, bool exclusive) override {
        close();
        lost_ = false;
        // O_NONBLOCK only for the open itself: a port whose carrier line is down must not hang it.
        fd_ = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0) {
            const int e = errno;
            openFailure_ = {std::strerror(e), e == EACCES || e == EPERM};
            return false;
        }
        const int flags = ::fcntl(fd_, F_GETFL);
        ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
        if (exclusive) ::ioctl(fd_, TIOCEXCL);
        askLowLatency();
        termios t{};
        if (::tcgetattr(fd_, &t) == 0) {
            ::cfmakeraw(&t);
            t.c_cflag |= CLOCAL | CREAD;
            t.c_cc[VMIN] = 0;
            t.c_cc[VTIME] = 0;
            ::tcsetattr(fd_, TCSANOW, &t);
        }
        return true;
    }
    OpenFailure openFailure() const override { return openFailure_; }
    bool isOpen() const override { return fd_ >= 0; }
    long long handleNumber() const override { return fd_; }

    bool close() override {
        if (fd_ < 0) return false;
        // The exclusive flag belongs to the device, not to this descriptor: a pseudo-terminal
        // that someone else keeps open would refuse the next open.
        ::ioctl(fd_, TIOCNXCL);
        giveBackLowLatency();
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0;
    }

    // Only the line: see WindowsTuning. The event mask is kept for the debug log alone.
    Configured configure(const SerialConfig& config) override {
        Configured done;
        done.previousEventMask = eventMask_;
        termios t{};
        if (fd_ < 0) done.failedAt = ConfigureStep::Timeouts;  // a closed device fails the first step
        else if (::tcgetattr(fd_, &t) != 0) done.failedAt = ConfigureStep::ReadLine;
        else if (!applyLine(t, config.line)) done.failedAt = ConfigureStep::Line;
        else eventMask_ = config.windows.eventMask.value_or(eventMask_);
        return done;
    }

    int inputCount() override {
        int n = 0;
        if (fd_ < 0) return -1;
        if (::ioctl(fd_, FIONREAD, &n) != 0) {
            noteFailure();
            return -1;
        }
        return n;
    }

    // A hang-up ends the wait at once and marks the device gone; so does a device node that
    // was removed while we waited.
    bool waitForInput(int ms) override {
        if (fd_ < 0 || lost_) return false;
        pollfd p{fd_, POLLIN, 0};
        int rc;
        do rc = ::poll(&p, 1, ms);
        while (rc < 0 && errno == EINTR);
        if (rc < 0) {
            noteFailure();
            return false;
        }
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            lost_ = true;
            return false;
        }
        if (rc == 0) {
            struct stat node {};
            if (::fstat(fd_, &node) == 0 && node.st_nlink == 0) lost_ = true;
            return false;
        }
        return (p.revents & POLLIN) != 0;
    }

    int read(uint8_t* buffer, int wanted) override {
        if (fd_ < 0) return -1;
        ssize_t n;
        do n = ::read(fd_, buffer, size_t(wanted));
        while (n < 0 && errno == EINTR);
        if (n < 0) {
            noteFailure();
            return -1;
        }
        return int(n);
    }

    int write(const uint8_t* buffer, int count) override {
        if (fd_ < 0) return -1;
        int done = 0;
        while (done < count) {
            const ssize_t n = ::write(fd_, buffer + done, size_t(count - done));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) noteFailure();
            if (n <= 0) return done > 0 ? done : -1;
            done += int(n);
        }
        return done;
    }

    bool lost() const override { return lost_; }

    // After the drain nothing of ours waits in a real port's output queue; a pseudo-terminal's
    // drain returns before the other side has read, so flushing the output there would throw
    // away bytes we wrote. Only the input is cleared, for both kinds of purge; draining first
    // also makes sure that nothing the phone sends in answer to our last bytes is thrown away.
    bool purge(Queues) override {
        if (fd_ < 0) return false;
        ::tcdrain(fd_);
        return ::tcflush(fd_, TCIFLUSH) == 0;
    }

private:
    bool applyLine(termios& t, const LineSettings& s) {
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        t.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CRTSCTS);
        t.c_cflag |= s.dataBits == 7 ? CS7 : CS8;
        if (s.twoStopBits) t.c_cflag |= CSTOPB;
        t.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        const speed_t standard = standardSpeed(s.baud);
        if (standard != B0) ::cfsetspeed(&t, standard);
        if (::tcsetattr(fd_, TCSANOW, &t) != 0) return false;
#ifdef __linux__
        if (standard == B0 && !setLinuxSpeed(fd_, s.baud)) return false;
#else
        if (standard == B0) return false;
#endif
        setModemLine(TIOCM_DTR, s.dtr);
        setModemLine(TIOCM_RTS, s.rts);
        return true;
    }

    static speed_t standardSpeed(uint32_t baud) {
        switch (baud) {
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        case 230400: return B230400;
#ifdef B460800
        case 460800: return B460800;
#endif
        default: return B0;
        }
    }

    // A USB serial adapter holds a short answer back until its latency timer runs out (16 ms
    // on the common chips); every request and answer of the loader would pay that. The serial
    // driver's low-latency flag makes the adapter hand over at once. A device that does not know
    // the flag (a pseudo-terminal, a plain UART) refuses, and works as before.
    void askLowLatency() {
#ifdef __linux__
        serial_struct serial{};
        if (::ioctl(fd_, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY)) return;
        serial.flags |= ASYNC_LOW_LATENCY;
        lowLatencySet_ = ::ioctl(fd_, TIOCSSERIAL, &serial) == 0;
#endif
    }
    // What the device had before it was opened: the next program finds it as it was.
    void giveBackLowLatency() {
#ifdef __linux__
        if (!lowLatencySet_) return;
        lowLatencySet_ = false;
        serial_struct serial{};
        if (::ioctl(fd_, TIOCGSERIAL, &serial) != 0) return;
        serial.flags &= ~ASYNC_LOW_LATENCY;
        ::ioctl(fd_, TIOCSSERIAL, &serial);
#endif
    }

    void noteFailure() {
        if (meansGone(errno)) lost_ = true;
    }

    void setModemLine(int line, bool on) {
        // Pseudo-terminals and some adapters have no modem lines; that is not an error.
        ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line);
    }

    int fd_ = -1;
    OpenFailure openFailure_;
    uint32_t eventMask_ = 0;
    bool lost_ = false;
    bool lowLatencySet_ = false;  // we turned the driver's low-latency flag on at open
};

}  // namespace

std::unique_ptr<SerialDevice> createPlatformSerialDevice() { return std::make_unique<PosixSerialDevice>(); }

}  // namespace qv
#endif
