#include "files/settings.h"

#include "base/ini_file.h"
#include "files/file_places.h"

#include <QDir>

namespace qv {
namespace {

int64_t number(const IniFile& ini, QStringView section, QStringView key, int64_t fallback) {
    bool ok = false;
    const int64_t v = ini.value(section, key, QString()).trimmed().toLongLong(&ok, 10);
    return ok ? v : fallback;
}

}  // namespace

QString Settings::defaultPath() { return FilePlaces::current().settingsPath(); }

Settings Settings::load(const QString& path) { return fromIni(IniFile::load(path)); }

LoadedSettings Settings::loadWithWarning(const QString& path) {
    const IniFile ini = IniFile::load(path);
    LoadedSettings loaded{fromIni(ini), {}};
    if (!ini.problem().isEmpty())
        loaded.warning = QStringLiteral("%1 is ignored (%2); the default settings are used")
                             .arg(QDir::toNativeSeparators(path), ini.problem());
    return loaded;
}

Settings Settings::fromIni(const IniFile& ini) {
    Settings s;
    s.port = ini.value(u"COM", u"Port", s.port);
    s.baudRD = uint32_t(number(ini, u"COM", u"BaudRD", s.baudRD));
    s.baudWR = uint32_t(number(ini, u"COM", u"BaudWR", s.baudWR));
    s.keyLock = uint8_t(number(ini, u"COM", u"KeyLock", s.keyLock));
    s.restorePatch = uint8_t(number(ini, u"COM", u"RestorePatch", s.restorePatch));
    s.mem = uint8_t(number(ini, u"COM", u"MEM", s.mem));
    s.verify = uint8_t(number(ini, u"COM", u"Verify", s.verify));
    s.player = ini.value(u"Melody", u"Player", s.player);
    s.transparency = int32_t(number(ini, u"Face", u"Transparency", s.transparency));
    s.backColor = uint32_t(number(ini, u"Face", u"BackColor", s.backColor));
    s.color = uint32_t(number(ini, u"Face", u"Color", s.color));
    return s;
}

Result Settings::save(const QString& path) const {
    IniFile ini = IniFile::load(path);
    store(ini);
    return ini.save(path);
}

void Settings::store(IniFile& ini) const {
    ini.setValue(u"COM", u"Port", port);
    ini.setValue(u"COM", u"BaudRD", QString::number(baudRD));
    ini.setValue(u"COM", u"BaudWR", QString::number(baudWR));
    ini.setValue(u"COM", u"KeyLock", QString::number(keyLock));
    ini.setValue(u"COM", u"RestorePatch", QString::number(restorePatch));
    ini.setValue(u"COM", u"MEM", QString::number(mem));
    ini.setValue(u"COM", u"Verify", QString::number(verify));
    ini.setValue(u"Melody", u"Player", player);
    ini.setValue(u"Face", u"Transparency", QString::number(transparency));
    ini.setValue(u"Face", u"BackColor", QString::number(backColor));
    ini.setValue(u"Face", u"Color", QString::number(color));
}

}  // namespace qv
