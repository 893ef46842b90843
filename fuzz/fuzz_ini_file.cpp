// libFuzzer target: the INI reader and writer behind language.ini, setting.ini and the .mru
// files, the language table and the settings read from them. The whole input is the file; the
// values written into it are slices of the input, chosen by its last bytes.
#include "base/cp1251.h"
#include "base/ini_file.h"
#include "base/language_table.h"
#include "files/settings.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

namespace {

using namespace qv;

[[noreturn]] void broken(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "fuzz_ini_file: %s %s\n", what, qPrintable(detail));
    std::abort();
}

using Probe = std::pair<QString, QString>;  // section, key

// Every name the program reads, plus a few the fuzzer can reach from the seeds.
const std::vector<Probe>& probes() {
    static const std::vector<Probe> all = [] {
        std::vector<Probe> p;
        for (int slot = 0; slot < LanguageTable::kSlotCount; ++slot)
            if (const QString key = LanguageTable::keyOfSlot(slot); !key.isEmpty())
                p.emplace_back(QStringLiteral("Language"), key);
        for (const char* key : {"Port", "BaudRD", "BaudWR", "KeyLock", "RestorePatch", "MEM"})
            p.emplace_back(QStringLiteral("COM"), QString::fromLatin1(key));
        p.emplace_back(QStringLiteral("Melody"), QStringLiteral("Player"));
        for (const char* key : {"Transparency", "BackColor", "Color"})
            p.emplace_back(QStringLiteral("Face"), QString::fromLatin1(key));
        for (const char* key : {"Name1", "Name2", "Name256"})
            p.emplace_back(QStringLiteral("MRU"), QString::fromLatin1(key));
        p.emplace_back(QString(), QStringLiteral("k"));
        p.emplace_back(QStringLiteral("S"), QStringLiteral("k"));
        return p;
    }();
    return all;
}

// What a file says about each name: nothing, or its value.
using Values = std::vector<std::optional<QString>>;

Values readProbes(const IniFile& ini) {
    Values values;
    values.reserve(probes().size());
    for (const auto& [section, key] : probes()) {
        if (ini.contains(section, key)) {
            values.emplace_back(ini.value(section, key));
            continue;
        }
        // Without the name, any default comes back.
        if (ini.value(section, key, QStringLiteral("d")) != u"d" || ini.value(section, key, QStringLiteral("e")) != u"e")
            broken("value() and contains() disagree on", key);
        values.emplace_back(std::nullopt);
    }
    return values;
}

// Writing a file and reading it back changes no value, and a second rewrite no byte.
IniFile rewritten(const IniFile& ini) {
    const QByteArray bytes = ini.toBytes();
    IniFile back = IniFile::parse(bytes);
    const Values was = readProbes(ini), is = readProbes(back);
    for (size_t i = 0; i < was.size(); ++i)
        if (was[i] != is[i])
            broken("a value changed on the way through the file:",
                   probes()[i].second + QStringLiteral(" [") + was[i].value_or(QStringLiteral("-")) +
                       QStringLiteral("] -> [") + is[i].value_or(QStringLiteral("-")) + u']');
    if (back.toBytes() != bytes) broken("a second rewrite changed the bytes");
    return back;
}

bool sameSettings(const Settings& a, const Settings& b) {
    return a.port == b.port && a.baudRD == b.baudRD && a.baudWR == b.baudWR && a.keyLock == b.keyLock &&
           a.restorePatch == b.restorePatch && a.mem == b.mem && a.player == b.player &&
           a.transparency == b.transparency && a.backColor == b.backColor && a.color == b.color;
}

// A value as it reads back: a value cannot span lines.
QString oneLine(QString v) { return v.replace(u'\r', u' ').replace(u'\n', u' '); }

void checkLanguageTable(const IniFile& ini) {
    static const LanguageTable defaults = [] {
        LanguageTable t;
        t.loadDefaults();
        return t;
    }();
    LanguageTable t;
    const QString warning = t.load(ini, QStringLiteral("language.ini"));
    if (warning.isEmpty() != ini.problem().isEmpty() || warning != t.loadWarning()) broken("wrong warning", warning);
    for (int slot = 0; slot < LanguageTable::kSlotCount; ++slot) {
        const QString key = LanguageTable::keyOfSlot(slot);
        if (key.isEmpty()) {
            if (!t.slot(slot).isEmpty()) broken("a slot no key fills has text", QString::number(slot));
            continue;
        }
        if (!ini.contains(u"Language", key) && t.slot(slot) != defaults.slot(slot))
            broken("a key the file lacks lost its default", key);
    }
    for (const char* key : {"006", "014", "023", "052"})
        if (!t.text(QString::fromLatin1(key)).startsWith(u' '))
            broken("an appended text lacks its leading space", QString::fromLatin1(key));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    FuzzedDataProvider fdp(data, size);
    // Text the file's own encoding can hold.
    const QString text = bytes.startsWith("\xEF\xBB\xBF") ? QString::fromUtf8(bytes) : fromCp1251(bytes);
    auto slice = [&] {
        const auto from = fdp.ConsumeIntegralInRange<qsizetype>(0, text.size());
        return text.mid(from, fdp.ConsumeIntegralInRange<qsizetype>(0, 80));
    };

    // What the checks of a file on disk make of these bytes.
    const IniFile file = IniFile::fromFileBytes(bytes);
    if (file.exists() == !file.problem().isEmpty()) broken("exists() and problem() disagree");
    if (file.exists() == bytes.contains('\0')) broken("NUL bytes decided wrongly");
    checkLanguageTable(file);

    // The parser itself takes any bytes.
    IniFile ini = IniFile::parse(bytes);
    const Values before = readProbes(ini);
    rewritten(ini);

    // Settings read, stored into the same file and read again are the same settings, and
    // storing them touches no other name.
    Settings s = Settings::fromIni(ini);
    s.port = slice();
    s.player = slice();
    s.baudRD = fdp.ConsumeIntegral<uint32_t>();
    s.transparency = fdp.ConsumeIntegral<int32_t>();
    IniFile stored = ini;
    s.store(stored);
    Settings expected = s;
    expected.port = oneLine(s.port);
    expected.player = oneLine(s.player);
    if (!sameSettings(Settings::fromIni(rewritten(stored)), expected)) broken("settings changed on the way through the file");
    const Values after = readProbes(stored);
    for (size_t i = 0; i < before.size(); ++i) {
        const QString& section = probes()[i].first;
        const bool setting = section == u"COM" || section == u"Melody" || section == u"Face";
        if (!setting && after[i] != before[i]) broken("storing the settings changed", probes()[i].second);
    }

    // Any text set under any name reads back.
    IniFile edited = ini;
    const Probe& target = probes()[fdp.ConsumeIntegralInRange<size_t>(0, probes().size() - 1)];
    if (!target.first.isEmpty()) {
        const QString value = slice();
        edited.setValue(target.first, target.second, value);
        const IniFile back = rewritten(edited);
        if (!back.contains(target.first, target.second) || back.value(target.first, target.second) != oneLine(value))
            broken("a set value did not read back", target.second);
    }
    return 0;
}
