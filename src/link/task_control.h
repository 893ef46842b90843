#pragma once
// The task code and the abort signal that the window (or the command line) and the worker
// share. Cancel sets both; every loader and transfer step tests both.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace qv {

enum TaskCode : uint8_t {
    kTaskIdle = 0,
    kTaskStart = 1,
    kTaskWriteItems = 2,
    kTaskApplyPatch = 3,
    kTaskReadFile = 6,
    kTaskAbort = 7,
    kTaskAtProcessing = 8,
    // Reserved: nothing sets them and no task is bound to them.
    kTaskReserved4 = 4,
    kTaskReserved5 = 5,
    kTaskReserved9 = 9,
};

class TaskControl {
public:
    uint8_t taskCode() const { return code_.load(); }
    void setTaskCode(uint8_t code) {
        {
            std::lock_guard lock(mutex_);
            code_.store(code);
        }
        changed_.notify_all();
    }
    bool aborted() const { return taskCode() == kTaskAbort; }
    // Sets `desired` only if the code is still `expected`, so a worker going idle never
    // swallows a task that was set meanwhile.
    bool replaceTaskCode(uint8_t expected, uint8_t desired) {
        bool done;
        {
            std::lock_guard lock(mutex_);
            done = code_.compare_exchange_strong(expected, desired);
        }
        if (done) changed_.notify_all();
        return done;
    }

    // The abort signal: a manual-reset event, tested without waiting.
    void setAbortSignal() { abort_.store(true); }
    void clearAbortSignal() { abort_.store(false); }
    bool abortSignal() const { return abort_.load(); }

    // Blocks until the task code differs from `code` (or the time passes).
    template <typename Rep, typename Period>
    bool waitWhile(uint8_t code, std::chrono::duration<Rep, Period> atMost) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, atMost, [&] { return code_.load() != code; });
    }

private:
    std::atomic<uint8_t> code_{kTaskStart};
    std::atomic<bool> abort_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
};

}  // namespace qv
