#include "base/file_kind.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qv {

FileKind fileKindAt(const QString& path, bool followLink) {
#ifdef _WIN32
    const QFileInfo info(path);
    if (!followLink && info.isSymLink()) return FileKind::SymbolicLink;
    if (!info.exists()) return FileKind::Missing;
    if (info.isDir()) return FileKind::Folder;
    return info.isFile() ? FileKind::Regular : FileKind::Other;
#else
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if ((followLink ? ::stat(name.constData(), &st) : ::lstat(name.constData(), &st)) != 0) return FileKind::Missing;
    if (S_ISREG(st.st_mode)) return FileKind::Regular;
    if (S_ISDIR(st.st_mode)) return FileKind::Folder;
    if (S_ISLNK(st.st_mode)) return FileKind::SymbolicLink;
    if (S_ISFIFO(st.st_mode)) return FileKind::Pipe;
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return FileKind::Device;
    return FileKind::Other;
#endif
}

QString describeKind(FileKind kind) {
    switch (kind) {
    case FileKind::Missing: return QStringLiteral("nothing");
    case FileKind::Regular: return QStringLiteral("a regular file");
    case FileKind::Folder: return QStringLiteral("a folder");
    case FileKind::SymbolicLink: return QStringLiteral("a symbolic link");
    case FileKind::Pipe: return QStringLiteral("a named pipe");
    case FileKind::Device: return QStringLiteral("a device");
    case FileKind::Other: break;
    }
    return QStringLiteral("not a regular file");
}

bool readOnlyByMode(const QString& path) {
#ifdef _WIN32
    return QFileInfo::exists(path) && !QFileInfo(path).isWritable();
#else
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &st) != 0) return false;
    return (st.st_mode & 0222) == 0 || ::access(name.constData(), W_OK) != 0;
#endif
}

QString notRegularReason(const QString& path) {
    const FileKind own = fileKindAt(path, false);
    if (own == FileKind::Regular) return {};
    if (own == FileKind::Missing) return QStringLiteral("there is no such file");
    if (own != FileKind::SymbolicLink) return QStringLiteral("it is %1, not a regular file").arg(describeKind(own));
    const FileKind target = fileKindAt(path, true);
    if (target == FileKind::Regular) return {};
    return QStringLiteral("it is a symbolic link to %1").arg(target == FileKind::Missing ? QStringLiteral("a missing file") : describeKind(target));
}

Expected<QByteArray> readRegularFile(const QString& path, qint64 maxBytes) {
    if (const QString why = notRegularReason(path); !why.isEmpty())
        return Result(fileKindAt(path, true) == FileKind::Missing ? ResultCode::NotFound : ResultCode::Refused, why);
#ifdef _WIN32
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Result(ResultCode::DiskError, file.errorString());
    QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) return Result(ResultCode::DiskError, file.errorString());
    return bytes;
#else
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Result(ResultCode::DiskError, QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Result(ResultCode::Refused, QStringLiteral("it is not a regular file"));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Result(ResultCode::DiskError, file.errorString());
    }
    QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) return Result(ResultCode::DiskError, file.errorString());
    return bytes;
#endif
}

}  // namespace qv
