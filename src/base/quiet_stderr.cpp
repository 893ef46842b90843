#include "base/quiet_stderr.h"

#include <QtGlobal>
#include <atomic>
#include <cstdio>
#include <mutex>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace qv {

namespace {

std::atomic<bool> g_quiet{false};
std::recursive_mutex g_mutex;  // one redirection at a time; an inner guard finds it in place
int g_depth = 0;

}  // namespace

void setQuietStandardError(bool on) { g_quiet.store(on); }

QuietStandardError::QuietStandardError() {
#ifdef Q_OS_UNIX
    if (!g_quiet.load()) return;
    g_mutex.lock();
    engaged_ = true;
    if (g_depth++ > 0) return;
    std::fflush(stderr);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    saved_ = null < 0 ? -1 : ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (saved_ >= 0) ::dup2(null, STDERR_FILENO);
    if (null >= 0) ::close(null);
#endif
}

QuietStandardError::~QuietStandardError() {
#ifdef Q_OS_UNIX
    if (!engaged_) return;
    if (--g_depth == 0 && saved_ >= 0) {
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
    g_mutex.unlock();
#endif
}

}  // namespace qv
