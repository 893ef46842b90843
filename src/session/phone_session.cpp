#include "session/phone_session.h"

#include "session/phone_read_task.h"
#include "session/phone_write_task.h"
#include "session/restore_patch_task.h"

#include <chrono>
#include <thread>

namespace qv {

PhoneSession::PhoneSession() {
    worker.onTaskEnded = [this](const Result& r) {
        std::lock_guard lock(outcomeMutex_);
        outcome_ = r;
    };
    worker.start();
}

PhoneSession::~PhoneSession() {
    worker.stop();
    link.port.close();
}

Result PhoneSession::loadLoader(const QString& path) {
    Expected<QByteArray> image = loadLoaderImage(path);
    if (!image) return image.error();
    link.loaderImage = std::move(*image);
    return {};
}

void PhoneSession::start(WorkerTask task, PhoneWorker::TaskBody body, const TaskStartSettings& settings) {
    {
        std::lock_guard lock(outcomeMutex_);
        outcome_ = {};
    }
    worker.setTaskBody(task, std::move(body));
    startTask(link, at, worker, task, settings);
}

void PhoneSession::startRead(Workspace& ws, const TaskStartSettings& start) {
    link.versionAddress = ws.image().directory.versionAddress;
    this->start(WorkerTask::ReadFile, [this, &ws] { return readPhoneIntoServiceFile(link, ws); }, start);
}

void PhoneSession::startWrite(Workspace& ws, const QString& backupPath, bool verify, const TaskStartSettings& start) {
    link.versionAddress = ws.image().directory.versionAddress;
    this->start(WorkerTask::WriteItems, [this, &ws, backupPath, verify] { return writeTickedItems(link, ws, backupPath, verify); },
                start);
}

void PhoneSession::startRestore(QIODevice& patch, bool verify, const TaskStartSettings& start) {
    this->start(WorkerTask::ApplyPatch, [this, &patch, verify] { return applyRestorePatch(link, patch, verify); }, start);
}

Result PhoneSession::outcome() const {
    std::lock_guard lock(outcomeMutex_);
    return outcome_;
}

void PhoneSession::endTransfer() {
    if (link.port.isOpen()) link.port.close();
}

bool PhoneSession::startInfo() {
    link.port.close();
    if (at.driverState() != AtDriverState::Inactive) {
        at.setDriverState(AtDriverState::Abort);
        return false;
    }
    at.startInfoRequest();
    link.task.setTask(WorkerTask::AtExchange);
    return true;
}

void PhoneSession::endInfo(const std::function<void(int ms)>& wait) {
    if (at.driverState() != AtDriverState::Inactive) at.setDriverState(AtDriverState::Abort);
    // Wait for the worker to leave the exchange before anything it reports to goes away.
    while (link.task.task() == WorkerTask::AtExchange) {
        if (wait)
            wait(10);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    at.setDriverState(AtDriverState::Inactive);
    link.port.close();
}

Result PhoneSession::infoOutcome() const {
    if (at.learntSomething()) return {};
    const Result failure = at.lastFailure();
    if (failure.ok() || failure == ResultCode::Timeout) return ResultCode::PhoneNotAnswering;
    return failure;
}

}  // namespace qv
