#pragma once
// The task the worker is to run or is running, shared by the front end's thread and the worker,
// and what a task start takes from the settings.
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

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

class WorkerTaskState {
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

private:
    std::atomic<WorkerTask> task_{WorkerTask::Start};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
};

// What a task start needs from the settings.
struct TaskStartSettings {
    QString port;
    uint32_t baud = 115200;
    bool keyLock = false;
    int keypadWaitMs = 4000;
    // The pause after the keypad command; the window keeps its event loop running in it.
    std::function<void(int ms)> wait;
};

}  // namespace qv
