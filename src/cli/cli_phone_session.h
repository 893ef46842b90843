#pragma once
// The phone session of a command: the options that shape it (port, loader, speeds, waits), the
// terminal progress, Ctrl-C acting as Cancel, and waiting for the outcome.
#include "cli/cli_args.h"
#include "cli/terminal_progress.h"
#include "files/settings.h"
#include "session/phone_session.h"

#include <QString>
#include <chrono>

namespace qv::cli {

extern const QSet<QString> kPhoneOptions;  // --port, --loader, --keypad-wait, --baud, --boot-timeout

// After this long without the boot code's answer the user is told, once, what to do.
inline constexpr std::chrono::seconds kBootReminderAfter{10};
// The longest pause after the keypad command that --keypad-wait takes.
inline constexpr long long kMaxKeypadWaitMs = 600000;

class CommandPhoneSession {
public:
    explicit CommandPhoneSession(const Args& args);
    ~CommandPhoneSession();

    // Reads the loader image (the transfers need it); fails before any port is touched.
    void requireLoader();
    // Fails, before any port is touched, when the loader has no code for the speed a transfer
    // would run at (--baud, or the setting named `settingName`).
    uint32_t transferSpeed(uint32_t setting, const char* settingName) const;
    // What a transfer start needs: the port, the speed, the key lock and the keypad pause.
    TaskStartSettings startSettings(uint32_t baud) const;
    // Waits for the transfer started on `phone` to end; its outcome.
    Result finishTransfer();
    // The Info exchange: Ok when a value was learnt.
    Result runInfo();

    PhoneSession phone;
    TerminalProgress progress;
    Settings settings;

private:
    // Until the worker is done; Ctrl-C cancels. True when it was cancelled.
    bool waitForWorker();
    const Args& args_;
    int keypadWaitMs_ = 4000;
};

}  // namespace qv::cli
