#pragma once
// The host's side of a USB serial adapter. The chip collects what crosses the line and hands
// it to the host in USB packets: a packet goes as soon as it is full (62 data bytes, as on the
// common FTDI chips), a partial one only when the latency timer, started by its first byte,
// runs out. A short answer therefore reaches the host a whole latency late. A latency of 0
// passes every byte on as it crosses, as a native serial port does.
#include "phone_emu/emu_time.h"

#include <QByteArray>
#include <optional>

namespace qv::emu {

class UsbAdapter {
public:
    static constexpr qsizetype kPacketBytes = 62;

    explicit UsbAdapter(Time latency = Time(0)) : latency_(latency) {}
    bool passesThrough() const { return latency_ <= Time(0); }

    // A byte that finished crossing the line at `crossed`.
    void receive(char byte, Time crossed);
    // What the host has by `now`: every full packet, and the partial one once its timer ran out.
    QByteArray release(Time now);
    // When the partial packet's timer runs out; nothing while no byte waits in the chip.
    std::optional<Time> nextDeadline() const;

private:
    Time latency_;
    QByteArray ready_;    // whole packets the host may take
    QByteArray partial_;  // the packet being filled
    Time partialSince_{};
};

}  // namespace qv::emu
