#include "link/timeout_clock.h"

#include "link/debug_log.h"

#include <chrono>

namespace qv {

uint32_t systemTickCount() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TimeoutClock::start(uint32_t ms) {
    writeLog("Initiating timeout!");
    length_ = ms;
    start_ = ticks_();
    writeLog(QStringLiteral(" Timeout value=%1, Current Ticks=%2").arg(int32_t(length_)).arg(int32_t(start_)));  // printed as %d
}

bool TimeoutClock::reached() {
    const uint32_t elapsed = ticks_() - start_;  // unsigned: correct across a wrap
    if (elapsed < length_) return false;
    writeLog("!!!Timeout reached!");
    return true;
}

}  // namespace qv
