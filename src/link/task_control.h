#pragma once
// The cancel request of the task running on the link, shared by the thread that asks for it
// and the worker: one stop request per task (std::stop_source); every loader and transfer step
// asks `cancelled()`. Which task runs is the session's business.
#include <mutex>
#include <stop_token>

namespace qv {

class TaskControl {
public:
    // Stops the running step (the user's Cancel, or the worker shutting down).
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
    std::stop_source stop_;
    mutable std::mutex mutex_;
};

}  // namespace qv
