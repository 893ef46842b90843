#include "files/pair_lock.h"

#include "base/file_kind.h"
#include "files/service_file_names.h"

#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <thread>
#ifdef _WIN32
#include "base/windows_error.h"

#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qv {
namespace {

constexpr intptr_t kNoFile = -2;  // held, but the folder allows no lock file
[[maybe_unused]] constexpr intptr_t kBusy = -3;  // the lock file cannot be opened while another holds it
constexpr int kRetryMs = 25;

#ifdef _WIN32
LPCWSTR wide(const QString& path) { return reinterpret_cast<LPCWSTR>(path.utf16()); }
intptr_t openLockFile(const QString& path, QString& why, bool& cannotCreate) {
    HANDLE h = CreateFileW(wide(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        // A lock file that its last holder deleted keeps its name until every handle on it is
        // closed, and refuses to be opened until then: someone still holds it or waits on it.
        if (e == ERROR_ACCESS_DENIED &&
            (GetFileAttributesW(wide(path)) != INVALID_FILE_ATTRIBUTES || GetLastError() == ERROR_ACCESS_DENIED))
            return kBusy;
        cannotCreate = e == ERROR_ACCESS_DENIED || e == ERROR_WRITE_PROTECT;
        why = QString::fromStdString(windowsErrorText(e));
        return -1;
    }
    return reinterpret_cast<intptr_t>(h);
}
bool tryLock(intptr_t handle) {
    OVERLAPPED o{};
    return LockFileEx(reinterpret_cast<HANDLE>(handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &o);
}
// While a handle is open nobody can put another file under the name, so the locked file is
// always the named one.
bool stillNamed(intptr_t, const QString&) { return true; }
// The holder deletes the lock file as it lets go; the name goes when the last waiter's handle
// on it is closed.
void closeLockFile(intptr_t handle, const QString& path) {
    if (!path.isEmpty()) DeleteFileW(wide(path));
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}
#else
// Never through a link (a dangling one would make the open create its target anywhere) and
// never anything but a regular file (a pipe or a device there must not block or be acted on).
intptr_t openLockFile(const QString& path, QString& why, bool& cannotCreate) {
    if (const FileKind kind = fileKindAt(path, false); kind != FileKind::Missing && kind != FileKind::Regular) {
        why = QStringLiteral("it is %1, not a regular file").arg(describeKind(kind));
        return -1;
    }
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd < 0) {
        cannotCreate = errno == EACCES || errno == EROFS || errno == EPERM;
        why = errno == ELOOP ? QStringLiteral("it is a symbolic link, and a lock is never taken through one")
                             : QString::fromLocal8Bit(std::strerror(errno));
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        why = QStringLiteral("it is not a regular file");
        return -1;
    }
    return fd;
}
bool tryLock(intptr_t handle) { return ::flock(int(handle), LOCK_EX | LOCK_NB) == 0; }
// The holder removes the lock file when it lets go; a process that was waiting on the removed
// file must not count its lock, so it checks that the name still leads to its file.
bool stillNamed(intptr_t handle, const QString& path) {
    struct stat held {}, named {};
    return ::fstat(int(handle), &held) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}
void closeLockFile(intptr_t handle, const QString& path) {
    if (!path.isEmpty()) ::unlink(QFile::encodeName(path).constData());
    ::close(int(handle));  // also drops the lock
}
#endif

}  // namespace

PairLock::~PairLock() {
    if (depth_ > 0) {
        depth_ = 1;
        release();
    }
}

Result PairLock::acquire(const QString& lockPath, int waitMs) {
    if (depth_ > 0) {
        if (lockPath != path_)
            return Result::failure(QStringLiteral("Can not lock %1 while %2 is locked").arg(lockPath, path_));
        ++depth_;
        return {};
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    intptr_t handle = -1;
    for (;;) {
        QString why;
        bool cannotCreate = false;
        handle = openLockFile(lockPath, why, cannotCreate);
        if (handle == -1) {
            if (!cannotCreate)
                return Result(ResultCode::Refused, QStringLiteral("Can not lock %1: %2").arg(QFileInfo(lockPath).fileName(), why));
            // A folder where no lock file can be made (read-only media) allows no rewrite either.
            path_ = lockPath;
            handle_ = kNoFile;
            depth_ = 1;
            return {};
        }
        if (handle != kBusy) {
            if (tryLock(handle)) {
                if (stillNamed(handle, lockPath)) break;
                closeLockFile(handle, QString());
                continue;
            }
            closeLockFile(handle, QString());
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return Result(
                ResultCode::InUse,
                QStringLiteral("The service file %1 is in use by another program (it is being saved or read from the phone); try again when it has finished.")
                    .arg(QFileInfo(withExtension(lockPath, ".sav")).fileName()));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMs));
    }
    path_ = lockPath;
    handle_ = handle;
    depth_ = 1;
    return {};
}

void PairLock::release() {
    if (depth_ == 0 || --depth_ > 0) return;
    if (handle_ >= 0) closeLockFile(handle_, path_);
    handle_ = -1;
    path_.clear();
}

}  // namespace qv
