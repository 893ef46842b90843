#pragma once
// One direction of the simulated serial line. When throttled, a byte occupies the line for its
// byte time and starts neither before it is ready nor before the previous byte has finished,
// so bytes come out at the line rate however they were handed in. Unthrottled, a byte is due
// as soon as it is ready.
#include "phone_emu/emu_time.h"

#include <QByteArray>
#include <deque>
#include <optional>

namespace qv::emu {

class PacedLine {
public:
    explicit PacedLine(bool throttled) : throttled_(throttled) {}

    // Without a rate (0), the byte goes at the rate the line has when it is released.
    void push(QByteArray bytes, Time ready, uint32_t baud = 0);
    bool empty() const { return chunks_.empty(); }
    qsizetype size() const;

    // When the first waiting byte has crossed the line.
    std::optional<Time> headDue(uint32_t currentBaud) const;
    // Takes the first byte, which crossed at `due` (from headDue).
    char pop(Time due);
    // Every byte that has crossed by `now`.
    QByteArray releaseDue(Time now, uint32_t currentBaud);
    // The same, byte by byte, each with the time it finished crossing: take(byte, time).
    template <typename Take>
    void releaseEach(Time now, uint32_t currentBaud, Take&& take) {
        while (const auto due = headDue(currentBaud)) {
            if (*due > now) break;
            take(pop(*due), *due);
        }
    }

private:
    struct Chunk {
        QByteArray bytes;
        Time ready;
        uint32_t baud;
        qsizetype pos = 0;
    };
    bool throttled_;
    std::deque<Chunk> chunks_;
    Time lineFree_ = Time::min();
};

}  // namespace qv::emu
