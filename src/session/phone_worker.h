#pragma once
// The worker that runs every phone task, so that the window stays responsive and the user
// can cancel. It waits for a task, runs it, reports the outcome and waits again.
#include "link/at_exchange.h"
#include "link/phone_link.h"
#include "session/worker_task.h"

#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <thread>

namespace qv {

class PhoneWorker {
public:
    using TaskBody = std::function<Result()>;

    PhoneWorker(PhoneLink& link, AtExchange& at);
    ~PhoneWorker();

    // The bodies of the transfer tasks.
    void setTaskBody(WorkerTask task, TaskBody body);
    // The task to run next, or the one running.
    WorkerTaskState& taskState() { return state_; }
    const WorkerTaskState& taskState() const { return state_; }
    // The user's Cancel: the running step stops, and a task not yet taken up ends as aborted.
    void requestCancel();
    // Called on the worker thread when a transfer task has ended, with its result.
    std::function<void(const Result&)> onTaskEnded;

    void start();
    // Ends the thread; waits for a running task to notice.
    void stop();
    // True from a task start until the worker has reported its outcome.
    bool busy() const { return busy_.load(); }
    void markBusy() { busy_.store(true); }
    // Ends a task that cannot start as the worker ends a failed one (the outcome event,
    // onTaskEnded); called by the task start.
    void refuseTask(const Result& why);

private:
    void run();
    void runTransfer(WorkerTask task);
    // The outcome event, idle, and the end of the busy state.
    void reportOutcome(const Result& result);

    PhoneLink& link_;
    AtExchange& at_;
    WorkerTaskState state_;
    std::map<WorkerTask, TaskBody> bodies_;
    std::thread thread_;
    std::atomic<bool> quit_{false};
    std::atomic<bool> busy_{false};
};

// Presses the phone's end key by AT command, closes the port, waits for the phone to switch
// off, and hands the task to the worker with a fresh cancel request. A transfer at a speed the
// loader has no code for is refused first (result 8, nothing sent to the phone).
void startTask(PhoneLink& link, AtExchange& at, PhoneWorker& worker, WorkerTask task, const TaskStartSettings& settings);

}  // namespace qv
