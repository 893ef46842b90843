#include "cli/phone_session.h"

#include "base/language_table.h"
#include "base/program_dir.h"
#include "link/loader_commands.h"

#include <QDir>
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

PhoneSession::PhoneSession(const Args& args) : settings(Settings::load()), args_(args) {
    settings.port = args.value("port", settings.port);
    if (args.has("keypad-wait")) keypadWaitMs_ = int(args.number("keypad-wait"));
    if (keypadWaitMs_ < 0) throw UsageError("--keypad-wait must not be negative");
    if (args.has("boot-timeout")) {
        const long long s = args.number("boot-timeout");
        if (s <= 0 || s > 24 * 3600) throw UsageError("--boot-timeout takes seconds from 1 to 86400");
        link.bootWait.giveUpAfter = std::chrono::seconds(s);
    }
    // Nobody may be watching a bar: say once, on its own line, what the phone needs.
    link.bootWait.remindAfter = kBootReminderAfter;
    link.bootWait.remind = [this] { progress.note(langText(Text::ConnectCableHoldPower)); };
    link.progress = &progress;
    link.portName = settings.port;
    at.portSetting = [this] { return settings.port; };
    interrupted = false;
    std::signal(SIGINT, onInterrupt);
    worker.start();
}

PhoneSession::~PhoneSession() {
    worker.stop();
    link.port.close();
    std::signal(SIGINT, SIG_DFL);
}

void PhoneSession::requireLoader() {
    const QString path = args_.value("loader", QDir(programDirectory()).filePath("loader.bin"));
    QString why;
    if (!loadLoaderImage(path, link.loaderImage, &why)) throw Failure(why);
}

uint32_t PhoneSession::transferSpeed(uint32_t setting, const char* settingName) const {
    uint32_t baud = setting;
    if (args_.has("baud")) {
        const long long b = args_.number("baud");
        if (b <= 0 || b > 4000000) throw UsageError("--baud is out of range");
        baud = uint32_t(b);
    }
    if (const QString why = speedRefusal(baud); !why.isEmpty())
        throw Failure(why + (args_.has("baud") ? QStringLiteral(" (--baud)")
                                               : QStringLiteral(" (the %1 setting)").arg(QLatin1String(settingName))));
    return baud;
}

bool PhoneSession::waitForWorker() {
    using namespace std::chrono_literals;
    bool cancelled = false;
    while (worker.busy() || link.task.taskCode() == kTaskAtProcessing) {
        if (interrupted.exchange(false) && !cancelled) {
            // Ctrl-C is the progress dialog's Cancel.
            link.task.setTaskCode(kTaskAbort);
            link.task.setAbortSignal();
            cancelled = true;
        }
        std::this_thread::sleep_for(20ms);
    }
    return cancelled;
}

ResultCode PhoneSession::runTransfer(uint8_t code, uint32_t baud) {
    ResultCode result = ResultCode::Ok;
    worker.onTaskEnded = [&](ResultCode r) { result = r; };
    TaskStartSettings start{settings.port, baud, settings.keyLock != 0, keypadWaitMs_, {}};
    startTask(link, at, worker, code, start);
    waitForWorker();
    link.port.close();
    return result;
}

ResultCode PhoneSession::runInfo() {
    link.port.close();
    at.startInfoRequest();
    link.task.setTaskCode(kTaskAtProcessing);
    if (waitForWorker()) {
        at.setDriverState(kAtInactive);
        link.port.close();
        return ResultCode::Aborted;
    }
    at.setDriverState(kAtInactive);
    link.port.close();
    if (at.learntSomething()) return ResultCode::Ok;
    link.failureDetail = link.port.openFailure();
    return at.lastFailure() == ResultCode::Timeout || at.lastFailure() == ResultCode::Ok ? ResultCode::PhoneNotAnswering : at.lastFailure();
}

void failWith(ResultCode rc) { throw Failure(resultMessage(rc)); }

}  // namespace qv::cli
