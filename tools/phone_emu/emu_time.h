#pragma once
// Time as the emulator sees it: nanoseconds on a monotonic clock from an arbitrary origin.
// The protocol engine never reads a clock itself, so tests drive it with made-up times.
#include <chrono>
#include <cstdint>

namespace qv::emu {

using Time = std::chrono::nanoseconds;

inline Time milliseconds(int64_t ms) { return std::chrono::milliseconds(ms); }

// One byte on the line: start bit, eight data bits, two stop bits.
inline Time byteTime(uint32_t baud) {
    constexpr int64_t kBitsPerByte = 11;
    return baud == 0 ? Time(0) : Time(kBitsPerByte * 1'000'000'000LL / baud);
}

inline Time monotonicNow() {
    return std::chrono::duration_cast<Time>(std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace qv::emu
