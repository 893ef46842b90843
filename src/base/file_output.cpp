#include "base/file_output.h"

#include "base/file_kind.h"

#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#ifndef _WIN32
#include <QRandomGenerator>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qv {

namespace {

// `code`: Refused for a target the rules above turn down, DiskError where the system failed.
Result cannotWrite(const QString& path, const QString& why, ResultCode code = ResultCode::DiskError) {
    return Result(code, QStringLiteral("Can not write %1: %2").arg(path, why));
}

Result refused(const QString& path, const QString& why) { return cannotWrite(path, why, ResultCode::Refused); }

#ifndef _WIN32
QString systemReason() { return QString::fromLocal8Bit(std::strerror(errno)); }

// A new name beside the target that nobody else uses; O_EXCL with O_NOFOLLOW never opens what
// someone placed there.
int createTemporary(const QString& path, QByteArray& tempName) {
    const QFileInfo info(path);
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempName = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.') +
                                     QString::number(QRandomGenerator::global()->generate(), 36));
        const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool writeAllBytes(int fd, const QByteArray& bytes) {
    const char* at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += n;
        left -= n;
    }
    return true;
}

Result writeReplacing(const QString& path, const QByteArray& bytes) {
    const QByteArray finalName = QFile::encodeName(path);
    struct stat old {};
    const bool replacing = ::stat(finalName.constData(), &old) == 0;
    QByteArray tempName;
    const int fd = createTemporary(path, tempName);
    if (fd < 0) return cannotWrite(path, systemReason());
    // The replaced file's mode stays; a new file gets the usual mode less the umask.
    bool ok = (!replacing || ::fchmod(fd, old.st_mode & 07777) == 0) && writeAllBytes(fd, bytes);
    if (ok && !DeferredSync::deferring(path)) ok = ::fdatasync(fd) == 0;
    QString why = ok ? QString() : systemReason();
    if (::close(fd) != 0 && ok) ok = false, why = systemReason();
    if (ok && ::rename(tempName.constData(), finalName.constData()) != 0) ok = false, why = systemReason();
    if (ok) return {};
    ::unlink(tempName.constData());
    return cannotWrite(path, why);
}
#else
Result writeReplacing(const QString& path, const QByteArray& bytes) {
    errno = 0;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return cannotWrite(path, fileErrorReason(file));
    // A short write, a failed flush (where a full disk shows) and a failed rename all end here;
    // QSaveFile removes its temporary file.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
        const QString why = fileErrorReason(file);
        file.cancelWriting();
        return cannotWrite(path, why);
    }
    DeferredSync::deferring(path);
    return {};
}
#endif

// The program's own files may be links to where the user keeps them; the link stays.
QString targetOf(const QString& path, WriteRole role) {
    if (role != WriteRole::OwnFile || fileKindAt(path, false) != FileKind::SymbolicLink) return path;
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

}  // namespace

QString fileErrorReason(const QFileDevice& file) {
    const QString qtText = file.errorString();
    const bool vague = qtText.isEmpty() || qtText == QLatin1String("Unknown error");
    if (vague && errno != 0) return QString::fromLocal8Bit(std::strerror(errno));
    return vague ? QStringLiteral("the system gave no reason") : qtText;
}

Result checkOutputTarget(const QString& path, WriteRole role) {
    const QString target = targetOf(path, role);
    const FileKind kind = fileKindAt(target, false);
    if (kind == FileKind::SymbolicLink)
        return refused(target, QStringLiteral("it is a symbolic link, and files are written only where they are named"));
    if (kind != FileKind::Missing && kind != FileKind::Regular)
        return refused(target, QStringLiteral("it is %1, not a regular file").arg(describeKind(kind)));
    if (kind == FileKind::Regular && readOnlyByMode(target)) return refused(target, QStringLiteral("the file is read-only"));
#ifndef _WIN32
    // The new content goes to a new file beside it, so the folder must take one.
    if (::access(QFile::encodeName(QFileInfo(target).absolutePath()).constData(), W_OK) != 0)
        return cannotWrite(target, systemReason());
#endif
    if (role == WriteRole::Output) {
        if (const QString owner = reservingServiceFile(target); !owner.isEmpty())
            return refused(target, QStringLiteral("it is one of the files of the open service file %1").arg(owner));
    }
    return {};
}

Result writeWholeFile(const QString& path, const QByteArray& bytes, WriteRole role) {
    if (Result s = checkOutputTarget(path, role); !s) return s;
    return writeReplacing(targetOf(path, role), bytes);
}

}  // namespace qv
