#include "phone_emu/paced_line.h"

#include <algorithm>

namespace qv::emu {

void PacedLine::push(QByteArray bytes, Time ready, uint32_t baud) {
    if (bytes.isEmpty()) return;
    chunks_.push_back({std::move(bytes), ready, baud});
}

qsizetype PacedLine::size() const {
    qsizetype n = 0;
    for (const Chunk& c : chunks_) n += c.bytes.size() - c.pos;
    return n;
}

std::optional<Time> PacedLine::headDue(uint32_t currentBaud) const {
    if (chunks_.empty()) return std::nullopt;
    const Chunk& head = chunks_.front();
    if (!throttled_) return head.ready;
    return std::max(head.ready, lineFree_) + byteTime(head.baud ? head.baud : currentBaud);
}

char PacedLine::pop(Time due) {
    Chunk& head = chunks_.front();
    const char byte = head.bytes[head.pos++];
    lineFree_ = due;
    if (head.pos == head.bytes.size()) chunks_.pop_front();
    return byte;
}

QByteArray PacedLine::releaseDue(Time now, uint32_t currentBaud) {
    QByteArray out;
    // Unthrottled, whole chunks go at once; a 128 KB read reply need not be walked byte by byte.
    while (!throttled_ && !chunks_.empty() && chunks_.front().ready <= now) {
        const Chunk& head = chunks_.front();
        out.append(QByteArrayView(head.bytes).sliced(head.pos));
        chunks_.pop_front();
    }
    while (const auto due = headDue(currentBaud)) {
        if (*due > now) break;
        out.append(pop(*due));
    }
    return out;
}

}  // namespace qv::emu
