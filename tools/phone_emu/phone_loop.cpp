#include "phone_emu/phone_loop.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace qv::emu {

namespace {

volatile sig_atomic_t stopRequested = 0;

void onStopSignal(int) { stopRequested = 1; }

// Pacing wakes up at most this often: bytes due meanwhile go out together, and since due
// times are absolute the batches do not add up to drift.
constexpr Time kBatch = std::chrono::milliseconds(2);

// The signals stay blocked except inside ppoll, so a stop request cannot slip in between the
// check and the wait.
sigset_t blockStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    sigset_t stop, previous;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    ::sigprocmask(SIG_BLOCK, &stop, &previous);
    sigdelset(&previous, SIGINT);
    sigdelset(&previous, SIGTERM);
    return previous;
}

}  // namespace

namespace {
constexpr qsizetype kThrottledInputWindow = 64;
}  // namespace

PhoneLoop::PhoneLoop(int masterFd, PhoneEngine* engine, LoopOptions options, std::function<void(const QString&)> log)
    : master_(masterFd),
      engine_(engine),
      options_(options),
      log_(std::move(log)),
      fromHost_(options.throttle),
      toHost_(options.throttle),
      adapter_(options.usbLatency) {}

bool PhoneLoop::run() {
    const sigset_t waitMask = blockStopSignals();
    while (!stopRequested) {
        const Time now = monotonicNow();
        deliverInput(now);
        engine_->advance(now);
        releaseOutput(now);
        if (!writeHost()) return false;

        // Throttled, the phone takes the host's bytes only as fast as the line carries them,
        // so the host's writes block as they do on a real port (its answer waits must not
        // start while a segment is still crossing the line).
        const bool roomForInput = !options_.throttle || fromHost_.size() < kThrottledInputWindow;
        pollfd fds[2] = {{master_, short((roomForInput ? POLLIN : 0) | (unwritten_.isEmpty() ? 0 : POLLOUT)), 0},
                         {0, POLLIN, 0}};
        const nfds_t count = options_.exitOnStdinEof ? 2 : 1;
        const std::optional<Time> wait = timeout(now);
        timespec ts{};
        if (wait) {
            ts.tv_sec = time_t(wait->count() / 1'000'000'000);
            ts.tv_nsec = long(wait->count() % 1'000'000'000);
        }
        const int ready = ::ppoll(fds, count, wait ? &ts : nullptr, &waitMask);
        if (ready < 0) {
            if (errno == EINTR) continue;
            log(QStringLiteral("poll: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
            return false;
        }
        if ((fds[0].revents & POLLIN) && !readHost(monotonicNow())) return false;
        // With our own slave descriptor open the master never hangs up; if it does, waiting
        // on would only spin.
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            log(QStringLiteral("the pty hung up"));
            return false;
        }
        if (count == 2 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) && stdinEnded()) break;
    }
    return true;
}

void PhoneLoop::deliverInput(Time now) {
    while (const auto due = fromHost_.headDue(engine_->baud())) {
        if (*due > now) break;
        engine_->receive(uint8_t(fromHost_.pop(*due)), *due);
    }
}

void PhoneLoop::releaseOutput(Time now) {
    for (Outgoing& out : engine_->takeOutput()) toHost_.push(std::move(out.bytes), out.at, out.baud);
    if (adapter_.passesThrough()) {
        unwritten_.append(toHost_.releaseDue(now, engine_->baud()));
        return;
    }
    toHost_.releaseEach(now, engine_->baud(), [this](char byte, Time crossed) { adapter_.receive(byte, crossed); });
    unwritten_.append(adapter_.release(now));
}

bool PhoneLoop::readHost(Time now) {
    char buffer[65536];
    for (;;) {
        qsizetype room = qsizetype(sizeof buffer);
        if (options_.throttle) room = std::min(room, kThrottledInputWindow - fromHost_.size());
        if (room <= 0) return true;
        const ssize_t n = ::read(master_, buffer, size_t(room));
        if (n > 0) {
            fromHost_.push(QByteArray(buffer, n), now);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        log(QStringLiteral("reading the pty: %1").arg(n == 0 ? QStringLiteral("closed")
                                                             : QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
}

bool PhoneLoop::writeHost() {
    while (!unwritten_.isEmpty()) {
        const ssize_t n = ::write(master_, unwritten_.constData(), size_t(unwritten_.size()));
        if (n > 0) {
            unwritten_.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // The host is not reading and the pty is full: try again when it drains.
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        log(QStringLiteral("writing the pty: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    return true;
}

bool PhoneLoop::stdinEnded() {
    char buffer[4096];
    const ssize_t n = ::read(0, buffer, sizeof buffer);
    return n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN);
}

std::optional<Time> PhoneLoop::timeout(Time now) const {
    std::optional<Time> wake = engine_->nextDeadline();
    for (const auto due : {fromHost_.headDue(engine_->baud()), toHost_.headDue(engine_->baud()), adapter_.nextDeadline()})
        if (due && (!wake || *due < *wake)) wake = due;
    if (!wake) return std::nullopt;
    if (*wake <= now) return Time(0);
    return std::max(*wake - now, kBatch);
}

void PhoneLoop::log(const QString& text) const {
    if (log_) log_(text);
}

}  // namespace qv::emu
