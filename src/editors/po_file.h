#pragma once
// gettext PO files, the format translators' tools read and write: reading a catalogue into its
// entries and writing entries the way gettext itself lays them out (quoting, escapes, a new
// line after every "\n", long lines wrapped at spaces to 79 columns).
#include "base/expected.h"
#include "base/result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace qv {

struct PoEntry {
    std::optional<QString> context;  // msgctxt
    QString id;                      // msgid
    QString translation;             // msgstr (msgstr[0] of an entry with plural forms)
    bool plural = false;             // has msgid_plural
    bool fuzzy = false;              // "#, fuzzy"
    QStringList extractedComments;   // "#." lines, without the marker
    int line = 0;                    // line of the entry's msgid, from 1
};

struct PoCatalogue {
    // The header entry (empty msgid, no context) as its "Name: value" lines; not in `entries`.
    QString header;
    std::vector<PoEntry> entries;
};

// Reads a PO file. Texts are decoded by the charset the header names (UTF-8 when it names
// none or the template placeholder; windows-1251 is also understood). Obsolete entries ("#~")
// are left out. A syntax error, an unknown escape or text that is not valid in the charset
// fails the whole file; the message names the line.
Expected<PoCatalogue> parsePo(QByteArrayView bytes);
// The same, entry by entry: `each` gets every entry but the header, in file order, and no more
// than one entry is held at a time, however long the file. When the file fails, the entries
// handed over before the failure are void. The value is the header's lines (empty without one).
Expected<QString> readPoEntries(QByteArrayView bytes, const std::function<void(PoEntry&&)>& each);

// Writes a UTF-8 PO file: the comment lines, the header entry with `headerFields` in order
// (Content-Type and Content-Transfer-Encoding are the caller's to give), then the entries
// (context, extracted comments, id and an empty or given translation).
QByteArray writePo(const QStringList& comments, const std::vector<std::pair<QString, QString>>& headerFields,
                   const std::vector<PoEntry>& entries);

// One PO string as gettext writes it after `keyword`: a single quoted line when it fits in 79
// columns and has no inner line break, otherwise an empty first line and one line per piece.
// Control characters without a C escape are written as three-digit octal escapes.
QByteArray poStringLines(const QByteArray& keyword, const QString& text);

}  // namespace qv
