#pragma once
// What the front end (the window or the command line) and the worker share: the task the
// worker is to run or is running, and the cancel request. Cancel is one stop request per task
// (std::stop_source); every loader and transfer step asks `cancelled()`.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stop_token>

namespace qv {

// The worker's task. The numbers are those the debug log and older notes use.
enum class WorkerTask : uint8_t {
    Idle = 0,
    Start = 1,
    WriteItems = 2,
    ApplyPatch = 3,
    ReadFile = 6,
    Abort = 7,  // a cancel the worker has not taken up yet
    AtExchange = 8,
};

inline bool isTransfer(WorkerTask task) {
    return task == WorkerTask::WriteItems || task == WorkerTask::ApplyPatch || task == WorkerTask::ReadFile;
}

class TaskControl {
public:
    WorkerTask task() const { return task_.load(); }
    void setTask(WorkerTask task) {
        {
            std::lock_guard lock(mutex_);
            task_.store(task);
        }
        changed_.notify_all();
    }
    // Sets `desired` only if the task is still `expected`, so a worker going idle never
    // swallows a task that was set meanwhile.
    bool replaceTask(WorkerTask expected, WorkerTask desired) {
        bool done;
        {
            std::lock_guard lock(mutex_);
            done = task_.compare_exchange_strong(expected, desired);
        }
        if (done) changed_.notify_all();
        return done;
    }
    // Blocks until the task differs from `task` (or the time passes).
    template <typename Rep, typename Period>
    bool waitWhile(WorkerTask task, std::chrono::duration<Rep, Period> atMost) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, atMost, [&] { return task_.load() != task; });
    }

    // The user's Cancel: the running step stops, and a task not yet taken up ends as aborted.
    void requestCancel() {
        {
            std::lock_guard lock(mutex_);
            stop_.request_stop();
            task_.store(WorkerTask::Abort);
        }
        changed_.notify_all();
    }
    // Stops the running step without a task of the user's (the worker shutting down).
    void requestStop() {
        std::lock_guard lock(mutex_);
        stop_.request_stop();
    }
    bool cancelled() const {
        std::lock_guard lock(mutex_);
        return stop_.stop_requested();
    }
    std::stop_token stopToken() const {
        std::lock_guard lock(mutex_);
        return stop_.get_token();
    }
    // A fresh request for the next task: a cancel of an earlier task must not stop it.
    void renewCancel() {
        std::lock_guard lock(mutex_);
        if (stop_.stop_requested()) stop_ = std::stop_source();
    }

private:
    std::atomic<WorkerTask> task_{WorkerTask::Start};
    std::stop_source stop_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
};

}  // namespace qv
