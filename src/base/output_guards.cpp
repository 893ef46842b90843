// The names output files may not take, and the flush of many written files at once.
#include "base/file_output.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <cerrno>
#include <cstring>
#include <vector>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qv {

namespace {

// A folder as the disk knows it, whatever path led there.
struct FolderId {
    quint64 device = 0, inode = 0;
    QString canonical;
    bool operator==(const FolderId& o) const { return device == o.device && inode == o.inode && canonical == o.canonical; }
};

bool folderOf(const QString& path, FolderId& out) {
    const QString folder = QFileInfo(path).absolutePath();
#ifdef _WIN32
    out.canonical = QFileInfo(folder).canonicalFilePath().toLower();
    return !out.canonical.isEmpty();
#else
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0) return false;
    out.device = quint64(st.st_dev);
    out.inode = quint64(st.st_ino);
    return true;
#endif
}

bool sameName(const QString& a, const QString& b) {
#if defined(_WIN32) || defined(__APPLE__)
    return a.compare(b, Qt::CaseInsensitive) == 0;  // the usual file systems there ignore case
#else
    return a == b;
#endif
}

struct Reservation {
    int id;
    FolderId folder;
    QString name;
    QString owner;
};

QMutex g_mutex;
std::vector<Reservation> g_reserved;
int g_nextId = 0;

thread_local DeferredSync* t_deferred = nullptr;

}  // namespace

ReservedNames::ReservedNames(const QStringList& paths, const QString& owner) {
    QMutexLocker lock(&g_mutex);
    id_ = ++g_nextId;
    for (const QString& path : paths) {
        FolderId folder;
        if (folderOf(path, folder)) g_reserved.push_back({id_, folder, QFileInfo(path).fileName(), owner});
    }
}

ReservedNames::~ReservedNames() {
    QMutexLocker lock(&g_mutex);
    std::erase_if(g_reserved, [this](const Reservation& r) { return r.id == id_; });
}

QString reservingServiceFile(const QString& path) {
    QMutexLocker lock(&g_mutex);
    if (g_reserved.empty()) return {};
    FolderId folder;
    if (!folderOf(path, folder)) return {};
    const QString name = QFileInfo(path).fileName();
    for (const Reservation& r : g_reserved)
        if (r.folder == folder && sameName(r.name, name)) return r.owner;
    return {};
}

DeferredSync::DeferredSync() : previous_(t_deferred) { t_deferred = this; }

DeferredSync::~DeferredSync() {
    (void)finish();
    t_deferred = previous_;
}

bool DeferredSync::deferring(const QString& writtenPath) {
    if (!t_deferred) return false;
    const QString folder = QFileInfo(writtenPath).absolutePath();
    if (!t_deferred->folders_.contains(folder)) t_deferred->folders_ << folder;
    return true;
}

Result DeferredSync::finish() {
    QStringList folders;
    folders.swap(folders_);
#if defined(__linux__)
    // syncfs flushes every file of the folder's file system and reports a failed write-back.
    for (const QString& folder : folders) {
        const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool ok = fd >= 0 && ::syncfs(fd) == 0;
        const QString why = ok ? QString() : QString::fromLocal8Bit(std::strerror(errno));
        if (fd >= 0) ::close(fd);
        if (!ok) return Result(ResultCode::DiskError, QStringLiteral("Can not write the files in %1 to the disk: %2").arg(folder, why));
    }
#elif !defined(_WIN32)
    if (!folders.isEmpty()) ::sync();
#endif
    return {};
}

}  // namespace qv
