#pragma once
// Where the program keeps the files it writes and reads besides service files.
//
// A portable copy (its folder is writable) keeps everything beside the program, as it always
// did: setting.ini, language.ini, exported pictures and melodies, backup patches. An installed
// copy (its folder is not writable by the user, or lies in the folder the build installs its
// programs to, or on Windows in the system's program folders) never writes there: settings go
// to the per-user configuration folder, exports and backups to the per-user data folder, each
// created when first needed.
#include <QString>
#include <QStringList>

namespace qv {

struct FilePlaces {
    QString programFolder;    // the running program's folder
    QString configFolder;     // per-user settings (…/.config/Quorvanta; Windows: …\AppData\Roaming\Quorvanta)
    QString dataFolder;       // per-user exports and backups (…/.local/share/Quorvanta; Windows: Documents\Quorvanta)
    // Where copies are installed (cmake --install, the package; on Windows also Program Files):
    // a program folder in one of them is never the home of the files.
    QStringList installedFolders;

    // The places of this process: the program's folder and the user's standard folders (the
    // same for both programs). A ScopedFilePlaces, while it lives, replaces them.
    static FilePlaces current();

    // True when the program folder is the home of the files: writable, and not within one of
    // the installation folders (where not even an administrator should leave settings).
    bool usesProgramFolder() const;
    // setting.ini beside the program, or in the per-user configuration folder (made if missing).
    QString settingsPath() const;
    // Where language.ini is looked for, in order: the per-user configuration folder, then
    // beside the program.
    QStringList languagePaths() const;
    // The folder of the first language.ini of languagePaths() that exists; the program folder
    // when there is none (so a warning names the usual place).
    QString languageFolder() const;
    // Exported pictures and melodies, and the backup patch of a phone write: the program
    // folder, or the per-user data folder (made if missing).
    QString exportFolder() const;
    QString backupFolder() const;

private:
    QString userFolder(const QString& folder) const;
};

// For tests: makes FilePlaces::current() return `places` until destroyed.
class ScopedFilePlaces {
public:
    explicit ScopedFilePlaces(const FilePlaces& places);
    ~ScopedFilePlaces();
    ScopedFilePlaces(const ScopedFilePlaces&) = delete;
    ScopedFilePlaces& operator=(const ScopedFilePlaces&) = delete;

private:
    const FilePlaces* previous_;
    FilePlaces places_;
};

}  // namespace qv
