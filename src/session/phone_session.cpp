#include "session/phone_session.h"

#include "base/program_dir.h"
#include "files/workspace.h"
#include "link/debug_log.h"
#include "link/loader_commands.h"
#include "session/phone_read_task.h"
#include "session/phone_write_task.h"
#include "session/restore_patch_task.h"
#include "session/session_parts.h"

#include <QDir>
#include <chrono>
#include <thread>

namespace qv {

PhoneSession::PhoneSession() : parts_(std::make_unique<Parts>()) {
    parts_->worker.onTaskEnded = [this](const Result& r) {
        std::lock_guard lock(outcomeMutex_);
        outcome_ = r;
    };
    parts_->worker.start();
}

PhoneSession::~PhoneSession() { shutdown(); }

void PhoneSession::shutdown() {
    parts_->worker.stop();
    parts_->link.port.close();
}

void PhoneSession::setProgressListener(ProgressListener* listener) { parts_->link.progress = listener; }

void PhoneSession::setBootWait(std::chrono::milliseconds giveUpAfter, std::chrono::milliseconds remindAfter,
                               std::function<void()> remind) {
    parts_->link.bootWait = BootWait{giveUpAfter, remindAfter, std::move(remind)};
}

void PhoneSession::setPortSetting(std::function<QString()> port) { parts_->at.portSetting = std::move(port); }

QString PhoneSession::defaultLoaderPath() { return QDir(programDirectory()).filePath("loader.bin"); }

Result PhoneSession::loadLoader(const QString& path) {
    Expected<QByteArray> image = loadLoaderImage(path);
    if (!image) return image.error();
    parts_->link.loaderImage = std::move(*image);
    return {};
}

std::vector<uint32_t> PhoneSession::transferSpeeds() { return {kLoaderSpeeds.begin(), kLoaderSpeeds.end()}; }

QString PhoneSession::speedRefusal(uint32_t baud) { return ::qv::speedRefusal(baud); }

void PhoneSession::start(WorkerTask task, std::function<Result()> body, const TaskStartSettings& settings) {
    {
        std::lock_guard lock(outcomeMutex_);
        outcome_ = {};
    }
    parts_->worker.setTaskBody(task, std::move(body));
    startTask(parts_->link, parts_->at, parts_->worker, task, settings);
}

void PhoneSession::startRead(Workspace& ws, const TaskStartSettings& start) {
    PhoneLink& link = parts_->link;
    link.versionAddress = ws.image().directory.versionAddress;
    this->start(WorkerTask::ReadFile, [&link, &ws] { return readPhoneIntoServiceFile(link, ws); }, start);
}

void PhoneSession::startWrite(Workspace& ws, const QString& backupPath, bool verify, const TaskStartSettings& start) {
    PhoneLink& link = parts_->link;
    link.versionAddress = ws.image().directory.versionAddress;
    this->start(WorkerTask::WriteItems, [&link, &ws, backupPath, verify] { return writeTickedItems(link, ws, backupPath, verify); },
                start);
}

void PhoneSession::startRestore(QIODevice& patch, bool verify, const TaskStartSettings& start) {
    PhoneLink& link = parts_->link;
    this->start(WorkerTask::ApplyPatch, [&link, &patch, verify] { return applyRestorePatch(link, patch, verify); }, start);
}

bool PhoneSession::running() const {
    return parts_->worker.busy() || parts_->worker.taskState().task() == WorkerTask::AtExchange;
}

bool PhoneSession::busy() const { return parts_->worker.busy(); }

void PhoneSession::cancel() { parts_->worker.requestCancel(); }

void PhoneSession::markIdle() { parts_->worker.taskState().setTask(WorkerTask::Idle); }

Result PhoneSession::outcome() const {
    std::lock_guard lock(outcomeMutex_);
    return outcome_;
}

void PhoneSession::endTransfer() {
    if (parts_->link.port.isOpen()) parts_->link.port.close();
}

bool PhoneSession::startInfo() {
    AtExchange& at = parts_->at;
    parts_->link.port.close();
    if (at.driverState() != AtDriverState::Inactive) {
        at.setDriverState(AtDriverState::Abort);
        return false;
    }
    at.startInfoRequest();
    parts_->worker.taskState().setTask(WorkerTask::AtExchange);
    return true;
}

bool PhoneSession::infoRunning() const { return parts_->at.driverState() != AtDriverState::Inactive; }

void PhoneSession::setInfoFinished(std::function<void()> finished) { parts_->at.onFinished = std::move(finished); }

void PhoneSession::endInfo(const std::function<void(int ms)>& wait) {
    AtExchange& at = parts_->at;
    if (at.driverState() != AtDriverState::Inactive) at.setDriverState(AtDriverState::Abort);
    // Wait for the worker to leave the exchange before anything it reports to goes away.
    while (parts_->worker.taskState().task() == WorkerTask::AtExchange) {
        if (wait)
            wait(10);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    at.setDriverState(AtDriverState::Inactive);
    parts_->link.port.close();
}

Result PhoneSession::infoOutcome() const {
    const AtExchange& at = parts_->at;
    if (at.learntSomething()) return {};
    const Result failure = at.lastFailure();
    if (failure.ok() || failure == ResultCode::Timeout) return ResultCode::PhoneNotAnswering;
    return failure;
}

QString PhoneSession::shownModel() const { return parts_->at.shownModel(); }
QString PhoneSession::shownVersion() const { return parts_->at.shownVersion(); }
QString PhoneSession::notLearnt() { return kNotLearnt; }

void PhoneSession::setDebugLogEnabled(bool on) { ::qv::setDebugLogEnabled(on); }
void PhoneSession::writeDebugLine(const QString& line) { writeLog(line); }

}  // namespace qv
