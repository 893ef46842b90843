#pragma once
// The time-out clock of the phone link: a start tick and a length, on a 32-bit millisecond
// tick counter whose wrap-around is harmless.
#include <cstdint>
#include <functional>

namespace qv {

uint32_t systemTickCount();
// Where the link's waits read the time: the system's ticks, or a test's time that moves only
// when the program pauses or waits.
using TickSource = std::function<uint32_t()>;

class TimeoutClock {
public:
    using TickSource = qv::TickSource;
    explicit TimeoutClock(TickSource ticks = systemTickCount) : ticks_(std::move(ticks)) {}

    void start(uint32_t ms);
    bool reached();

private:
    TickSource ticks_;
    uint32_t start_ = 0;
    uint32_t length_ = 0;
};

// Milliseconds since a start on the same ticks, without the clock's log lines: for the waits
// that restart on every byte or are not logged. Unsigned, so correct across a wrap.
class Stopwatch {
public:
    explicit Stopwatch(const TickSource& ticks) : ticks_(ticks) { restart(); }
    void restart() { start_ = ticks_(); }
    uint32_t elapsed() const { return ticks_() - start_; }
    bool reached(uint64_t ms) const { return elapsed() >= ms; }

private:
    const TickSource& ticks_;
    uint32_t start_ = 0;
};

}  // namespace qv
