#pragma once
// One conversation with the phone, as the window and the command line both hold it, and their
// only way to the phone: the transfers (read, write, restore) and the information request
// start and end here. Progress goes to the listener as events.
#include "base/progress_events.h"
#include "base/result.h"
#include "session/worker_task.h"

#include <QIODevice>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace qv {

class Workspace;

class PhoneSession {
public:
    PhoneSession();
    ~PhoneSession();
    PhoneSession(const PhoneSession&) = delete;
    PhoneSession& operator=(const PhoneSession&) = delete;

    // Stops the worker (waiting for a running task to notice) and closes the port; nothing is
    // reported afterwards. The destructor does it too.
    void shutdown();

    // Where the task events go; null: nobody watches. Set while no task runs.
    void setProgressListener(ProgressListener* listener);
    // How the loader upload waits for the phone: by default until Cancel. A front end without a
    // Cancel button a person watches gives up after `giveUpAfter` and calls `remind` (on the
    // worker thread) once per upload after `remindAfter` without the boot code's answer; zero:
    // never.
    void setBootWait(std::chrono::milliseconds giveUpAfter, std::chrono::milliseconds remindAfter,
                     std::function<void()> remind);
    // The port the information request opens, taken from the settings at its start.
    void setPortSetting(std::function<QString()> port);

    // loader.bin beside the program.
    static QString defaultLoaderPath();
    // Reads the loader image the transfers upload; fails before any port is touched.
    Result loadLoader(const QString& path);
    // Every speed a transfer can run at, slowest first.
    static std::vector<uint32_t> transferSpeeds();
    // Why a transfer at `baud` cannot run (the loader has no code for the speed); empty when it can.
    static QString speedRefusal(uint32_t baud);

    // Each transfer presses the end key by AT command, waits for the phone to switch off (in
    // `start.wait` when given) and hands the task to the worker; it runs on until running()
    // is false, and its outcome is then outcome().
    void startRead(Workspace& ws, const TaskStartSettings& start);
    // `backupPath` empty: no backup of the phone's old bytes.
    void startWrite(Workspace& ws, const QString& backupPath, bool verify, const TaskStartSettings& start);
    // The patch stays open until the task has ended.
    void startRestore(QIODevice& patch, bool verify, const TaskStartSettings& start);

    // A transfer or the information request is under way.
    bool running() const;
    // From a transfer's start until the worker has reported its outcome.
    bool busy() const;
    // The user's Cancel.
    void cancel();
    // The front end is done with the last task (its progress box closed, a file opened, the
    // window closing): the worker's task goes back to idle.
    void markIdle();
    Result outcome() const;
    // After a transfer has ended: the port is closed.
    void endTransfer();

    // The model and version request. False when one was still under way: it is stopped instead.
    bool startInfo();
    // A request is under way (it has not ended yet).
    bool infoRunning() const;
    // Called on the worker thread when the request has ended; null: nobody.
    void setInfoFinished(std::function<void()> finished);
    // Stops the request if it still runs, waits (in `wait` when given) until the worker has
    // left it and closes the port.
    void endInfo(const std::function<void(int ms)>& wait = {});
    // Ok when the model or the version was learnt; otherwise why not (22 when the phone
    // never answered).
    Result infoOutcome() const;
    // What the request learnt, "N/A" for what it did not.
    QString shownModel() const;
    QString shownVersion() const;
    // What the model and the version read before the phone has told them.
    static QString notLearnt();

    // The debug log (rozezu.log beside the program): off until switched on.
    static void setDebugLogEnabled(bool on);
    static void writeDebugLine(const QString& line);

    struct Parts;

private:
    friend class PhoneSessionProbe;
    void start(WorkerTask task, std::function<Result()> body, const TaskStartSettings& settings);

    std::unique_ptr<Parts> parts_;
    mutable std::mutex outcomeMutex_;
    Result outcome_;
};

}  // namespace qv
