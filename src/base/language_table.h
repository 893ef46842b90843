#pragma once
// The process-wide table of every text the program shows, addressed by key ("024", "8030").
// Filled from language.ini beside the program over built-in English defaults; read-only
// afterwards, so readers take no lock.
#include "base/text_keys.h"

#include <QString>
#include <QStringView>
#include <array>

namespace qv {

class IniFile;

class LanguageTable {
public:
    static constexpr int kSlotCount = 221;

    // Keys "000".."078" -> 0..78, "8001".."8104" -> 101..204, "8200".."8203" -> 205..208,
    // "8110".."8113" -> 210..213, "8300".."8306" -> 214..220; -1 for any other string.
    static int slotOfKey(QStringView key);
    // The key that fills a slot, or an empty string for the slots no key fills (79..100, 209).
    static QString keyOfSlot(int slot);

    // The built-in texts, with the leading-space rule applied.
    void loadDefaults();
    // Section "Language" of language.ini in programDir; whatever is missing keeps its default.
    // A language.ini that is no INI text (see IniFile::load) leaves every default in place;
    // the returned warning, also kept as loadWarning(), names the file and says why. This
    // layer has no log, so the front ends pass it on. Empty when nothing was wrong.
    QString load(const QString& programDir);
    // As above, from a file already loaded from path (the path is for the warning).
    QString load(const IniFile& ini, const QString& path);
    const QString& loadWarning() const { return loadWarning_; }

    QString text(QStringView key) const;  // empty for a key the table does not list
    QString slot(int slot) const;         // empty outside 0..220

private:
    void fillDefaults();
    void finish();  // the leading-space rule, and slot 100 emptied

    std::array<QString, kSlotCount> slots_;
    QString loadWarning_;
};

// Starts out holding the defaults, so code that runs before (or without) a load still has texts.
LanguageTable& languageTable();

inline QString langText(TextKey key) { return languageTable().text(QString::fromLatin1(key.key)); }

}  // namespace qv
