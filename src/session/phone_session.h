#pragma once
// One conversation with the phone, as the window and the command line both hold it: the link,
// the AT exchange and the worker; the transfers (read, write, restore) and the information
// request start and end here. Progress goes to `link.progress` as events.
#include "files/workspace.h"
#include "link/at_exchange.h"
#include "link/phone_link.h"
#include "session/phone_worker.h"

#include <QIODevice>
#include <QString>
#include <functional>
#include <mutex>

namespace qv {

class PhoneSession {
public:
    PhoneSession();
    ~PhoneSession();
    PhoneSession(const PhoneSession&) = delete;
    PhoneSession& operator=(const PhoneSession&) = delete;

    PhoneLink link;
    AtExchange at{link};
    PhoneWorker worker{link, at};

    // Reads the loader image the transfers upload; fails before any port is touched.
    Result loadLoader(const QString& path);

    // Each transfer presses the end key by AT command, waits for the phone to switch off (in
    // `start.wait` when given) and hands the task to the worker; it runs on until running()
    // is false, and its outcome is then outcome().
    void startRead(Workspace& ws, const TaskStartSettings& start);
    // `backupPath` empty: no backup of the phone's old bytes.
    void startWrite(Workspace& ws, const QString& backupPath, bool verify, const TaskStartSettings& start);
    // The patch stays open until the task has ended.
    void startRestore(QIODevice& patch, bool verify, const TaskStartSettings& start);

    // A transfer or the information request is under way.
    bool running() const { return worker.busy() || link.task.task() == WorkerTask::AtExchange; }
    // The user's Cancel.
    void cancel() { link.task.requestCancel(); }
    Result outcome() const;
    // After a transfer has ended: the port is closed.
    void endTransfer();

    // The model and version request. False when one was still under way: it is stopped instead.
    bool startInfo();
    // Stops the request if it still runs, waits (in `wait` when given) until the worker has
    // left it and closes the port.
    void endInfo(const std::function<void(int ms)>& wait = {});
    // Ok when the model or the version was learnt; otherwise why not (22 when the phone
    // never answered).
    Result infoOutcome() const;

private:
    void start(WorkerTask task, PhoneWorker::TaskBody body, const TaskStartSettings& settings);

    mutable std::mutex outcomeMutex_;
    Result outcome_;
};

}  // namespace qv
