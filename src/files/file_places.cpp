#include "files/file_places.h"

#include "base/program_dir.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#ifndef QV_INSTALL_BINDIRS
#define QV_INSTALL_BINDIRS ""
#endif

namespace qv {
namespace {

// The product's folder name inside the user's standard folders. Both programs use it, so
// quorvanta-cli reads the settings the window saved (its own application name differs).
const QString kProductFolder = QStringLiteral("Quorvanta");

const FilePlaces* g_override = nullptr;

QString under(const QString& base) { return base.isEmpty() ? QString() : QDir(base).filePath(kProductFolder); }

QString underStandard(QStandardPaths::StandardLocation where) { return under(QStandardPaths::writableLocation(where)); }

// `folder` is `root` or lies within it (each followed through links).
bool withinFolder(const QString& folder, const QString& root) {
    if (folder.isEmpty() || root.isEmpty()) return false;
    const QString cf = QFileInfo(folder).canonicalFilePath(), cr = QFileInfo(root).canonicalFilePath();
    if (cf.isEmpty() || cr.isEmpty()) return false;
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    return cf.compare(cr, cs) == 0 || cf.startsWith(cr.endsWith(u'/') ? cr : cr + u'/', cs);
}

// Windows reports a folder as writable unless it carries the read-only attribute, which says
// nothing for folders; whether a file can be made there is the only sure answer.
bool folderWritable(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isWritable()) return false;
#ifdef Q_OS_WIN
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".write-probe-XXXXXX")));
    return probe.open();
#else
    return true;
#endif
}

// Where a copy is installed: the folders the build installs to and, on Windows, the program
// folders of the system (an administrator installs there; users may not write there).
QStringList installationFolders() {
    QStringList folders = QStringLiteral(QV_INSTALL_BINDIRS).split(u'|', Qt::SkipEmptyParts);
#ifdef Q_OS_WIN
    for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"})
        if (const QString folder = qEnvironmentVariable(name); !folder.isEmpty())
            folders << QDir::fromNativeSeparators(folder);
#endif
    return folders;
}

}  // namespace

FilePlaces FilePlaces::current() {
    if (g_override) return *g_override;
    FilePlaces p;
    p.programFolder = programDirectory();
#ifdef Q_OS_WIN
    // Settings roam with the user (AppData\Roaming); exports and backups are documents.
    p.configFolder = under(QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")));
    if (p.configFolder.isEmpty()) p.configFolder = underStandard(QStandardPaths::GenericConfigLocation);
    p.dataFolder = underStandard(QStandardPaths::DocumentsLocation);
#else
    p.configFolder = underStandard(QStandardPaths::GenericConfigLocation);
    p.dataFolder = underStandard(QStandardPaths::GenericDataLocation);
#endif
    p.installedFolders = installationFolders();
    return p;
}

bool FilePlaces::usesProgramFolder() const {
    for (const QString& installed : installedFolders)
        if (withinFolder(programFolder, installed)) return false;
    return folderWritable(programFolder);
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
