#include "link/comm_thread.h"

#include "base/language_table.h"
#include "link/debug_log.h"
#include "link/loader_commands.h"

#include <chrono>

namespace qv {

PhoneWorker::PhoneWorker(PhoneLink& link, AtExchange& at) : link_(link), at_(at) {}

PhoneWorker::~PhoneWorker() { stop(); }

void PhoneWorker::setTaskBody(uint8_t code, TaskBody body) { bodies_[code] = std::move(body); }

void PhoneWorker::start() {
    if (thread_.joinable()) return;
    quit_ = false;
    thread_ = std::thread([this] { run(); });
}

void PhoneWorker::stop() {
    if (!thread_.joinable()) return;
    quit_ = true;
    link_.task.setAbortSignal();
    link_.task.setTaskCode(link_.task.taskCode());  // wakes the wait
    thread_.join();
}

void PhoneWorker::run() {
    using namespace std::chrono_literals;
    while (!quit_) {
        const uint8_t code = link_.task.taskCode();
        switch (code) {
        case kTaskStart:
            writeLog("ttsStart");
            link_.task.replaceTaskCode(kTaskStart, kTaskIdle);
            break;
        case kTaskWriteItems:
        case kTaskApplyPatch:
        case kTaskReadFile:
            runTransfer(code);
            break;
        case kTaskAbort:
            writeLog("ttsAbort");
            // A task cancelled before the worker took it up (during the pause after the
            // keypad command) still ends, as aborted.
            if (busy_) reportOutcome(ResultCode::Aborted);
            link_.task.replaceTaskCode(kTaskAbort, kTaskIdle);
            break;
        case kTaskAtProcessing:
            writeLog("ttsATProcessing");
            at_.driverPass();
            break;
        case kTaskIdle:
        case kTaskReserved4:
        case kTaskReserved5:
        case kTaskReserved9:
            // Nothing to do: sleep until a task code arrives instead of polling.
            link_.task.waitWhile(code, 200ms);
            break;
        default:
            link_.task.replaceTaskCode(code, kTaskIdle);
            break;
        }
    }
}

void PhoneWorker::runTransfer(uint8_t code) {
    busy_ = true;
    link_.failureDetail.clear();
    if (code == kTaskReadFile) writeLog("ttsReadFile");
    ProgressSink& bar = link_.bar();
    bar.setText(langText(Text::ConnectCableHoldPower));
    const auto body = bodies_.find(code);
    ResultCode r = body != bodies_.end() && body->second ? body->second() : ResultCode::Aborted;
    // Cancel ends as aborted, whatever step noticed it last.
    if (r == ResultCode::Ok && (link_.task.aborted() || link_.task.abortSignal())) r = ResultCode::Aborted;
    reportOutcome(r);
}

void PhoneWorker::refuseTask(ResultCode r) {
    busy_ = true;
    reportOutcome(r);
}

void PhoneWorker::reportOutcome(ResultCode r) {
    ProgressSink& bar = link_.bar();
    bar.setButtonCaption(langText(Text::CloseButton));
    if (r == ResultCode::Ok) {
        bar.setText(langText(Text::OperationCompleted));
    } else if (r == ResultCode::Aborted) {
        bar.setText(langText(Text::OperationAborted));
    } else {
        bar.setText(langText(Text::ErrorOccurred));
        bar.showError(link_.failureDetail.isEmpty() ? resultMessage(r) : link_.failureDetail, langText(Text::ErrorPrefix));
    }
    bar.repaint();
    link_.task.setTaskCode(kTaskIdle);
    if (onTaskEnded) onTaskEnded(r);
    busy_ = false;
}

void startTask(PhoneLink& link, AtExchange& at, PhoneWorker& worker, uint8_t code, const TaskStartSettings& settings) {
    // A cancel from an earlier task must not stop this one before it starts.
    link.task.clearAbortSignal();
    const bool transfer = code == kTaskWriteItems || code == kTaskApplyPatch || code == kTaskReadFile;
    if (const QString why = transfer ? speedRefusal(settings.baud) : QString(); !why.isEmpty()) {
        writeLog(QStringLiteral("X:  %1").arg(why));
        link.failureDetail = why;
        worker.refuseTask(ResultCode::WrongComSettings);
        return;
    }
    worker.markBusy();
    link.portName = settings.port;
    const bool unlock = settings.keyLock && transfer;
    at.getPhoneState(unlock ? kKeypadUnlockThenEnd : kKeypadEndKey);
    link.port.close();
    if (settings.keypadWaitMs > 0) {
        if (settings.wait)
            settings.wait(settings.keypadWaitMs);
        else
            link.port.pause(settings.keypadWaitMs);
    }
    // Cancelled during the pause: the worker has already reported the task as aborted.
    if (link.task.abortSignal() || link.task.aborted() || !worker.busy()) return;
    link.portName = settings.port;
    link.workingSpeed = settings.baud;
    link.task.clearAbortSignal();
    link.task.setTaskCode(code);
}

}  // namespace qv
