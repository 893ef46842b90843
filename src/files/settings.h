#pragma once
// The user's settings, kept in setting.ini (beside the program, or per user: see FilePlaces).
#include "base/result.h"

#include <QString>
#include <cstdint>

namespace qv {

class IniFile;
struct LoadedSettings;

struct Settings {
    QString port = QStringLiteral("COM1");
    uint32_t baudRD = 115200;
    uint32_t baudWR = 28800;
    uint8_t keyLock = 0;
    uint8_t restorePatch = 0;
    uint8_t mem = 0;
    uint8_t verify = 1;  // a write or restore reads back what it wrote
#ifdef Q_OS_WIN
    QString player = QStringLiteral("psmplay.exe");
#else
    QString player = QStringLiteral("xdg-open");  // the desktop's own player for the file's type
#endif
    int32_t transparency = 11;
    uint32_t backColor = 0xC0C0C0;  // red in the low byte
    uint32_t color = 0xFF0000;

    static QString defaultPath();  // FilePlaces::current().settingsPath()
    // Missing file, section or key, or a malformed number: that key's default. A file that is
    // no INI text (a device, a directory, too large, binary; see IniFile::load) gives all
    // defaults; loadWithWarning() then also names the file and says why.
    static Settings load(const QString& path = defaultPath());
    static LoadedSettings loadWithWarning(const QString& path = defaultPath());
    // The values of an already loaded file.
    static Settings fromIni(const IniFile& ini);
    // Sets all keys in ini.
    void store(IniFile& ini) const;
    // Writes all keys. Refuses, leaving it as it is, to replace a file that load() could
    // not read.
    Result save(const QString& path) const;
};

struct LoadedSettings {
    Settings settings;
    QString warning;  // empty when the file was read or there was none
};

}  // namespace qv
