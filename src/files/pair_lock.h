#pragma once
// An advisory lock on one service file set, held by every process while it rewrites the pair
// or completes an interrupted rewrite, so that another process never takes a save in progress
// for the leftovers of a crash. The lock is the system's (flock / LockFileEx) on a small lock
// file beside the table file: it goes away with the process, even after kill -9.
#include "base/result.h"

#include <QString>

namespace qv {

class PairLock {
public:
    PairLock() = default;
    ~PairLock();
    PairLock(const PairLock&) = delete;
    PairLock& operator=(const PairLock&) = delete;

    // How long a second process waits for the first before saying the file is in use.
    static constexpr int kDefaultWaitMs = 10000;

    // Takes the lock on `lockPath`, waiting up to `waitMs` (then InUse). Nested calls for the
    // same path only count; a lock name that is no regular file is Refused. A folder where no lock file can be made (read-only media) is nothing another
    // process could rewrite either: the lock is then taken as held without a file.
    Result acquire(const QString& lockPath, int waitMs = kDefaultWaitMs);
    void release();
    bool held() const { return depth_ > 0; }

private:
    QString path_;
    int depth_ = 0;
    intptr_t handle_ = -1;
};

// Holds a PairLock for one scope.
class PairLockGuard {
public:
    PairLockGuard(PairLock& lock, const QString& lockPath, int waitMs = PairLock::kDefaultWaitMs)
        : lock_(lock), status_(lock.acquire(lockPath, waitMs)) {}
    ~PairLockGuard() {
        if (status_) lock_.release();
    }
    PairLockGuard(const PairLockGuard&) = delete;
    PairLockGuard& operator=(const PairLockGuard&) = delete;
    const Result& status() const { return status_; }

private:
    PairLock& lock_;
    Result status_;
};

}  // namespace qv
