#pragma once
// One phone conversation of the command-line tool: the link, the worker, the terminal
// progress and Ctrl-C acting as Cancel.
#include "cli/cli_args.h"
#include "cli/terminal_progress.h"
#include "files/settings.h"
#include "link/at_exchange.h"
#include "link/comm_thread.h"
#include "link/phone_link.h"

#include <QString>
#include <chrono>

namespace qv::cli {

extern const QSet<QString> kPhoneOptions;  // --port, --loader, --keypad-wait, --baud, --boot-timeout

// After this long without the boot code's answer the user is told, once, what to do.
inline constexpr std::chrono::seconds kBootReminderAfter{10};

class PhoneSession {
public:
    explicit PhoneSession(const Args& args);
    ~PhoneSession();

    // Reads the loader image (the transfer tasks need it); fails before any port is touched.
    void requireLoader();
    // Fails, before any port is touched, when the loader has no code for the speed a transfer
    // would run at (--baud, or the setting named `settingName`).
    uint32_t transferSpeed(uint32_t setting, const char* settingName) const;
    // Task start (keypad command, pause, speed) and the wait for the worker's outcome.
    ResultCode runTransfer(uint8_t code, uint32_t baud);
    // The Info exchange; returns the driver's failure code (0 when a value was learnt).
    ResultCode runInfo();

    PhoneLink link;
    AtExchange at{link};
    PhoneWorker worker{link, at};
    TerminalProgress progress;
    Settings settings;

private:
    bool waitForWorker();
    const Args& args_;
    int keypadWaitMs_ = 4000;
};

// The line a failed phone command prints: the message of its result code.
[[noreturn]] void failWith(ResultCode rc);

}  // namespace qv::cli
