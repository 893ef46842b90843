#include "phone_emu/pty_device.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace qv::emu {

namespace {

Result systemError(const char* what) {
    const QString reason = QString::fromLocal8Bit(std::strerror(errno));
    return Result::failure(QStringLiteral("%1: %2").arg(QLatin1String(what), reason));
}

}  // namespace

PtyDevice::~PtyDevice() {
    // Another emulator may have taken the name over since; its link stays.
    if (!linkPath_.isEmpty() && QFile::symLinkTarget(linkPath_) == slavePath_)
        ::unlink(QFile::encodeName(linkPath_).constData());
    if (slaveKeeper_ >= 0) ::close(slaveKeeper_);
    if (master_ >= 0) ::close(master_);
}

Result PtyDevice::open() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return systemError("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return systemError("grantpt/unlockpt");
    const char* name = ::ptsname(master_);
    if (!name) return systemError("ptsname");
    slavePath_ = QString::fromLocal8Bit(name);
    slaveKeeper_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveKeeper_ < 0) return systemError("open the slave");
    // The line discipline must pass bytes untouched: no echo of its own, no CR/LF mapping.
    termios tio{};
    if (::tcgetattr(master_, &tio) != 0) return systemError("tcgetattr");
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B19200);
    ::cfsetospeed(&tio, B19200);
    if (::tcsetattr(master_, TCSANOW, &tio) != 0) return systemError("tcsetattr");
    const int flags = ::fcntl(master_, F_GETFL);
    if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0 ||
        ::fcntl(master_, F_SETFD, FD_CLOEXEC) != 0)
        return systemError("fcntl");
    return {};
}

Result PtyDevice::link(const QString& path) {
    const QByteArray target = QFile::encodeName(slavePath_);
    const QByteArray where = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(where.constData(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) return Result::failure(QStringLiteral("%1 exists and is not a symlink").arg(path));
        ::unlink(where.constData());
    }
    if (::symlink(target.constData(), where.constData()) != 0) return systemError("symlink");
    linkPath_ = path;
    return {};
}

}  // namespace qv::emu
