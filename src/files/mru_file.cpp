#include "files/mru_file.h"

#include "base/ini_file.h"

namespace qv {

MelodyFileNames loadMelodyFileNames(const QString& mruPath) {
    MelodyFileNames names;
    const IniFile ini = IniFile::load(mruPath);
    for (int n = 1; n <= kMruSlots; ++n) names[size_t(n - 1)] = ini.value(u"MRU", QStringLiteral("Name%1").arg(n), QString());
    return names;
}

Result saveMelodyFileNames(const QString& mruPath, const MelodyFileNames& names) {
    IniFile ini = IniFile::load(mruPath);
    for (int n = 1; n <= kMruSlots; ++n) {
        const QString& v = names[size_t(n - 1)];
        if (!v.isEmpty()) ini.setValue(u"MRU", QStringLiteral("Name%1").arg(n), v);
    }
    return ini.save(mruPath);
}

}  // namespace qv
