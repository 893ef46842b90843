#pragma once
// The time-out clock of the phone link: a start tick and a length, on a 32-bit millisecond
// tick counter whose wrap-around is harmless.
#include <cstdint>
#include <functional>

namespace qv {

uint32_t systemTickCount();

class TimeoutClock {
public:
    using TickSource = std::function<uint32_t()>;
    explicit TimeoutClock(TickSource ticks = systemTickCount) : ticks_(std::move(ticks)) {}

    void start(uint32_t ms);
    bool reached();

private:
    TickSource ticks_;
    uint32_t start_ = 0;
    uint32_t length_ = 0;
};

}  // namespace qv
