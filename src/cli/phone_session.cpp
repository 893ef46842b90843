#include "cli/phone_session.h"

#include "base/program_dir.h"

#include <QDir>
#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

namespace qv::cli {

const QSet<QString> kPhoneOptions = {"port", "loader", "keypad-wait", "baud"};

namespace {

std::atomic<bool> interrupted{false};
extern "C" void onInterrupt(int) { interrupted.store(true); }

}  // namespace

PhoneSession::PhoneSession(const Args& args) : settings(Settings::load()), args_(args) {
    settings.port = args.value("port", settings.port);
    if (args.has("keypad-wait")) keypadWaitMs_ = int(args.number("keypad-wait"));
    if (keypadWaitMs_ < 0) throw UsageError("--keypad-wait must not be negative");
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

bool PhoneSession::waitForWorker() {
    using namespace std::chrono_literals;
    bool cancelled = false;
    while (worker.busy() || link.task.taskCode() == tcAtProcessing) {
        if (interrupted.exchange(false) && !cancelled) {
            // Ctrl-C is the progress dialog's Cancel.
            link.task.setTaskCode(tcAbort);
            link.task.setAbortSignal();
            cancelled = true;
        }
        std::this_thread::sleep_for(20ms);
    }
    return cancelled;
}

ResultCode PhoneSession::runTransfer(uint8_t code, uint32_t baud) {
    ResultCode result = rcOk;
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
    link.task.setTaskCode(tcAtProcessing);
    if (waitForWorker()) {
        at.setDriverState(tatInactive);
        link.port.close();
        return rcAborted;
    }
    at.setDriverState(tatInactive);
    link.port.close();
    if (at.model() != QLatin1String("???") || at.version() != QLatin1String("???")) return rcOk;
    link.failureDetail = link.port.openFailure();
    return at.lastFailure() == rcTimeout || at.lastFailure() == rcOk ? rcPhoneNotAnswering : at.lastFailure();
}

void failWith(ResultCode rc) { throw Failure(resultMessage(rc)); }

}  // namespace qv::cli
