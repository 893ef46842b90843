#pragma once
// Connects the phone engine to the pseudo-terminal and the clock: reads what the host sends,
// hands it to the engine at its (possibly throttled) arrival time, and writes the answers.
#include "phone_emu/paced_line.h"
#include "phone_emu/phone_engine.h"
#include "phone_emu/usb_adapter.h"

#include <QString>
#include <functional>

namespace qv::emu {

struct LoopOptions {
    bool throttle = false;
    bool exitOnStdinEof = false;
    // The host sits behind a USB adapter with this latency timer (0: a native port).
    Time usbLatency{0};
};

class PhoneLoop {
public:
    PhoneLoop(int masterFd, PhoneEngine* engine, LoopOptions options, std::function<void(const QString&)> log = {});

    // Until SIGINT or SIGTERM (or end of standard input when asked). False on an I/O failure.
    bool run();

private:
    void deliverInput(Time now);
    void releaseOutput(Time now);
    bool readHost(Time now);
    bool writeHost();
    bool stdinEnded();
    std::optional<Time> timeout(Time now) const;  // none: wait for input alone
    void log(const QString& text) const;

    int master_;
    PhoneEngine* engine_;
    LoopOptions options_;
    std::function<void(const QString&)> log_;
    PacedLine fromHost_;
    PacedLine toHost_;
    UsbAdapter adapter_;
    QByteArray unwritten_;  // released but not yet taken by the pty
};

}  // namespace qv::emu
