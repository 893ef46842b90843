#include "session/phone_worker.h"

#include "link/debug_log.h"
#include "link/loader_commands.h"

#include <chrono>

namespace qv {

PhoneWorker::PhoneWorker(PhoneLink& link, AtExchange& at) : link_(link), at_(at) {
    // The exchange ends by itself (answered, timed out, stopped): the worker leaves it.
    at_.onEnded = [this] { state_.setTask(WorkerTask::Idle); };
}

PhoneWorker::~PhoneWorker() { stop(); }

void PhoneWorker::setTaskBody(WorkerTask task, TaskBody body) { bodies_[task] = std::move(body); }

void PhoneWorker::start() {
    if (thread_.joinable()) return;
    quit_ = false;
    thread_ = std::thread([this] { run(); });
}

void PhoneWorker::stop() {
    if (!thread_.joinable()) return;
    quit_ = true;
    link_.task.requestStop();
    state_.setTask(state_.task());  // wakes the wait
    thread_.join();
}

void PhoneWorker::requestCancel() {
    link_.task.requestStop();
    state_.setTask(WorkerTask::Abort);
}

void PhoneWorker::run() {
    using namespace std::chrono_literals;
    while (!quit_) {
        const WorkerTask task = state_.task();
        switch (task) {
        case WorkerTask::Start:
            writeLog("ttsStart");
            state_.replaceTask(WorkerTask::Start, WorkerTask::Idle);
            break;
        case WorkerTask::WriteItems:
        case WorkerTask::ApplyPatch:
        case WorkerTask::ReadFile:
            runTransfer(task);
            break;
        case WorkerTask::Abort:
            writeLog("ttsAbort");
            // A task cancelled before the worker took it up (during the pause after the
            // keypad command) still ends, as aborted.
            if (busy_) reportOutcome(ResultCode::Aborted);
            state_.replaceTask(WorkerTask::Abort, WorkerTask::Idle);
            break;
        case WorkerTask::AtExchange:
            writeLog("ttsATProcessing");
            at_.driverPass();
            break;
        case WorkerTask::Idle:
            // Nothing to do: sleep until a task arrives instead of polling.
            state_.waitWhile(task, 200ms);
            break;
        }
    }
}

void PhoneWorker::runTransfer(WorkerTask task) {
    busy_ = true;
    if (task == WorkerTask::ReadFile) writeLog("ttsReadFile");
    link_.report(ProgressEvent::at(ProgressStage::ConnectCable));
    const auto body = bodies_.find(task);
    Result r = body != bodies_.end() && body->second ? body->second() : Result(ResultCode::Aborted);
    // Cancel ends as aborted, whatever step noticed it last.
    if (r.ok() && link_.task.cancelled()) r = ResultCode::Aborted;
    reportOutcome(r);
}

void PhoneWorker::refuseTask(const Result& why) {
    busy_ = true;
    reportOutcome(why);
}

void PhoneWorker::reportOutcome(const Result& result) {
    link_.report(ProgressEvent::outcome(result));
    state_.setTask(WorkerTask::Idle);
    if (onTaskEnded) onTaskEnded(result);
    busy_ = false;
}

void startTask(PhoneLink& link, AtExchange& at, PhoneWorker& worker, WorkerTask task, const TaskStartSettings& settings) {
    // A cancel from an earlier task must not stop this one before it starts.
    link.task.renewCancel();
    const bool transfer = isTransfer(task);
    if (const QString why = transfer ? speedRefusal(settings.baud) : QString(); !why.isEmpty()) {
        writeLog(QStringLiteral("X:  %1").arg(why));
        worker.refuseTask(Result(ResultCode::WrongComSettings, why));
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
    if (link.task.cancelled() || !worker.busy()) return;
    link.portName = settings.port;
    link.workingSpeed = settings.baud;
    worker.taskState().setTask(task);
}

}  // namespace qv
