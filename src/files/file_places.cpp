#include "files/file_places.h"

#include "base/program_dir.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef QV_INSTALL_BINDIRS
#define QV_INSTALL_BINDIRS ""
#endif

namespace qv {
namespace {

// The product's folder name inside the user's standard folders. Both programs use it, so
// quorvanta-cli reads the settings the window saved (its own application name differs).
const QString kProductFolder = QStringLiteral("Quorvanta");

const FilePlaces* g_override = nullptr;

QString underStandard(QStandardPaths::StandardLocation where) {
    const QString base = QStandardPaths::writableLocation(where);
    return base.isEmpty() ? QString() : QDir(base).filePath(kProductFolder);
}

bool sameFolder(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return false;
    const QString ca = QFileInfo(a).canonicalFilePath(), cb = QFileInfo(b).canonicalFilePath();
    return !ca.isEmpty() && ca == cb;
}

}  // namespace

FilePlaces FilePlaces::current() {
    if (g_override) return *g_override;
    FilePlaces p;
    p.programFolder = programDirectory();
    p.configFolder = underStandard(QStandardPaths::GenericConfigLocation);
    p.dataFolder = underStandard(QStandardPaths::GenericDataLocation);
    p.installedFolders = QStringLiteral(QV_INSTALL_BINDIRS).split(u'|', Qt::SkipEmptyParts);
    return p;
}

bool FilePlaces::usesProgramFolder() const {
    const QFileInfo folder(programFolder);
    if (!folder.isDir() || !folder.isWritable()) return false;
    for (const QString& installed : installedFolders)
        if (sameFolder(programFolder, installed)) return false;
    return true;
}

QString FilePlaces::userFolder(const QString& folder) const {
    // Without a home there is no per-user folder; the program folder is then the only choice.
    if (folder.isEmpty()) return programFolder;
    QDir().mkpath(folder);
    return folder;
}

QString FilePlaces::settingsPath() const {
    const QString folder = usesProgramFolder() ? programFolder : userFolder(configFolder);
    return QDir(folder).filePath(QStringLiteral("setting.ini"));
}

QStringList FilePlaces::languagePaths() const {
    QStringList paths;
    if (!configFolder.isEmpty()) paths << QDir(configFolder).filePath(QStringLiteral("language.ini"));
    paths << QDir(programFolder).filePath(QStringLiteral("language.ini"));
    return paths;
}

QString FilePlaces::languageFolder() const {
    for (const QString& path : languagePaths())
        if (QFileInfo::exists(path)) return QFileInfo(path).absolutePath();
    return programFolder;
}

QString FilePlaces::exportFolder() const { return usesProgramFolder() ? programFolder : userFolder(dataFolder); }

QString FilePlaces::backupFolder() const { return exportFolder(); }

ScopedFilePlaces::ScopedFilePlaces(const FilePlaces& places) : previous_(g_override), places_(places) {
    g_override = &places_;
}

ScopedFilePlaces::~ScopedFilePlaces() { g_override = previous_; }

}  // namespace qv
