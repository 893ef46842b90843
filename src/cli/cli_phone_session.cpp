#include "cli/cli_phone_session.h"

#include "base/language_table.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

namespace qv::cli {

const QSet<QString> kPhoneOptions = {"port", "loader", "keypad-wait", "baud", "boot-timeout"};

namespace {

std::atomic<bool> interrupted{false};
extern "C" void onInterrupt(int) { interrupted.store(true); }

}  // namespace

CommandPhoneSession::CommandPhoneSession(const Args& args) : settings(Settings::load()), args_(args) {
    settings.port = args.value("port", settings.port);
    if (args.has("keypad-wait")) {
        const long long ms = args.number("keypad-wait");
        if (ms < 0) throw UsageError("--keypad-wait must not be negative");
        // Read as it is given, never wrapped: a wait that would run for days is a typing slip.
        if (ms > kMaxKeypadWaitMs) throw UsageError("--keypad-wait takes at most 600000 ms (10 minutes)");
        keypadWaitMs_ = int(ms);
    }
    std::chrono::milliseconds giveUpAfter{0};
    if (args.has("boot-timeout")) {
        const long long s = args.number("boot-timeout");
        if (s <= 0 || s > 24 * 3600) throw UsageError("--boot-timeout takes seconds from 1 to 86400");
        giveUpAfter = std::chrono::seconds(s);
    }
    // Nobody may be watching a bar: say once, on its own line, what the phone needs.
    phone.setBootWait(giveUpAfter, kBootReminderAfter, [this] { progress.note(langText(Text::ConnectCableHoldPower)); });
    phone.setProgressListener(&progress);
    phone.setPortSetting([this] { return settings.port; });
    interrupted = false;
    std::signal(SIGINT, onInterrupt);
}

CommandPhoneSession::~CommandPhoneSession() {
    phone.shutdown();  // before the progress it reports to goes
    std::signal(SIGINT, SIG_DFL);
}

void CommandPhoneSession::requireLoader() {
    const QString path = args_.value("loader", PhoneSession::defaultLoaderPath());
    if (Result loaded = phone.loadLoader(path); !loaded) throw Failure(loaded.message());
}

uint32_t CommandPhoneSession::transferSpeed(uint32_t setting, const char* settingName) const {
    uint32_t baud = setting;
    if (args_.has("baud")) {
        const long long b = args_.number("baud");
        if (b <= 0 || b > 4000000) throw UsageError("--baud is out of range");
        baud = uint32_t(b);
    }
    if (const QString why = PhoneSession::speedRefusal(baud); !why.isEmpty())
        throw Failure(why + (args_.has("baud") ? QStringLiteral(" (--baud)")
                                               : QStringLiteral(" (the %1 setting)").arg(QLatin1String(settingName))));
    return baud;
}

TaskStartSettings CommandPhoneSession::startSettings(uint32_t baud) const {
    return TaskStartSettings{settings.port, baud, settings.keyLock != 0, keypadWaitMs_, {}};
}

bool CommandPhoneSession::waitForWorker() {
    using namespace std::chrono_literals;
    bool cancelled = false;
    while (phone.running()) {
        if (interrupted.exchange(false) && !cancelled) {
            phone.cancel();  // Ctrl-C is the progress dialog's Cancel
            cancelled = true;
        }
        std::this_thread::sleep_for(20ms);
    }
    return cancelled;
}

Result CommandPhoneSession::finishTransfer() {
    waitForWorker();
    phone.endTransfer();
    return phone.outcome();
}

Result CommandPhoneSession::runInfo() {
    phone.startInfo();
    const bool cancelled = waitForWorker();
    phone.endInfo();
    if (cancelled) return ResultCode::Aborted;
    return phone.infoOutcome();
}

}  // namespace qv::cli
