#include "base/program_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace qv {

QString programDirectory() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    const QString resolved = exe.exists() ? exe.canonicalFilePath() : QString();
    if (!resolved.isEmpty()) return QFileInfo(resolved).absolutePath();
    return QDir::currentPath();
}

}  // namespace qv
