#include "base/program_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#ifdef _WIN32
#include <iterator>

#include <windows.h>
#endif

namespace qv {
namespace {

// The running executable's path from the system, for the time before a QCoreApplication.
QString executablePath() {
#ifdef _WIN32
    wchar_t path[32768];
    const DWORD n = GetModuleFileNameW(nullptr, path, DWORD(std::size(path)));
    return n > 0 && n < std::size(path) ? QDir::fromNativeSeparators(QString::fromWCharArray(path, int(n))) : QString();
#else
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    return exe.exists() ? exe.canonicalFilePath() : QString();
#endif
}

}  // namespace

QString programDirectory() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    const QString resolved = executablePath();
    if (!resolved.isEmpty()) return QFileInfo(resolved).absolutePath();
    return QDir::currentPath();
}

}  // namespace qv
