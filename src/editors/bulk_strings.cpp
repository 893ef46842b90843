#include "editors/bulk_operations.h"

#include "base/cp1251.h"
#include "base/file_output.h"
#include "base/printable_text.h"
#include "editors/bulk_batch.h"
#include "editors/char_map_coding.h"
#include "editors/edit_operations.h"
#include "editors/item_views.h"
#include "editors/phone_text.h"
#include "editors/po_file.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <map>

namespace qv {

namespace {

// Far more than the PO file of the largest string table.
constexpr qint64 kMaxPoBytes = qint64(64) * 1024 * 1024;

struct StringCheck {
    QByteArray text;  // cp1251, line breaks as 182, at most the string's length
    QString refusal;
};

// The translation in the phone's code page, within the string's length.
StringCheck phoneString(const QString& translation, const StrEntry& e) {
    StringCheck out;
    for (char32_t c : translation.toUcs4()) {
        if (c == 0) {
            // The phone ends a text at its first zero: what followed would be lost.
            out.refusal = QStringLiteral("a phone string can not hold the character U+0000 (NUL)");
            return out;
        }
        const int byte = c == U'\n' ? kLineBreakChar : c > 0xFFFF ? -1 : charToCp1251(QChar(c));
        if (byte < 0) {
            out.refusal = QStringLiteral("the phone can not show the character %1").arg(characterName(c));
            return out;
        }
        out.text.append(char(byte));
    }
    // What the padding adds anyway may stand past the limit.
    while (out.text.size() > int(e.length) && out.text.endsWith(' ')) out.text.chop(1);
    if (out.text.size() > int(e.length))
        out.refusal = QStringLiteral("the text has %1 characters; this string holds %2").arg(out.text.size()).arg(e.length);
    return out;
}

// The bytes the string editor stores for `text`: padded with spaces to the length, encoded,
// cut or filled with zeros to the string's size.
QByteArray storedString(const QByteArray& text, const StrEntry& e, const CharMapCoding& coding) {
    const QByteArray padded = text + QByteArray(std::max(0, int(e.length) - int(text.size())), ' ');
    QByteArray encoded = coding.encode(padded.left(std::min<int>(e.length, kMaxStringChars)), e.fontAttribute);
    encoded = encoded.left(e.size);
    encoded.append(QByteArray(int(e.size) - encoded.size(), '\0'));
    return encoded;
}

QString poText(const QByteArray& phoneText) {
    QByteArray t = phoneText;
    while (t.endsWith(' ')) t.chop(1);
    QString text = fromCp1251(t);
    text.replace(QChar(kLineBreakChar), QLatin1Char('\n'));
    return text;
}

QString poPlace(const QString& fileName, const PoEntry& e) { return QStringLiteral("%1:%2").arg(fileName).arg(e.line); }

// A PO file that cannot be read is one problem, placed at the line its message names.
BulkProblem unreadablePo(const QString& fileName, const QString& why) {
    const qsizetype colon = why.indexOf(QLatin1String(": "));
    const bool hasLine = why.startsWith(QLatin1String("line ")) && colon > 0;
    return {-1, hasLine ? fileName + QLatin1Char(':') + why.mid(5, colon - 5) : fileName, hasLine ? why.mid(colon + 2) : why};
}

// A text as a message quotes it: control characters as escapes, on one line.
QString quotedText(const QString& text) { return QLatin1Char('"') + printableText(text) + QLatin1Char('"'); }

// The row an entry's msgctxt names, or -1 after listing the entry as a problem.
int rowOfEntry(const PoEntry& e, int rows, const QString& fileName, BulkProblems& problems) {
    if (!e.context) {
        problems.push_back({-1, poPlace(fileName, e), QStringLiteral("the entry has no msgctxt naming its string row")});
        return -1;
    }
    bool ok = false;
    const int row = e.context->toInt(&ok);
    if (!ok || row < 0 || row >= rows || *e.context != QString::number(row)) {
        problems.push_back({-1, poPlace(fileName, e), QStringLiteral("msgctxt %1 names no string row (the list has %2 rows)")
                                                          .arg(quotedText(*e.context)).arg(rows)});
        return -1;
    }
    return row;
}

// The entries of one row; only the first is kept, since a row with several is refused.
struct RowEntries {
    PoEntry first;
    std::vector<int> lines;
};

// The msgid against the row's text now, as the export writes it.
QString sourceMismatch(const PoEntry& e, int row, const QString& now) {
    QString id = e.id;
    id.replace(QChar(kLineBreakChar), QLatin1Char('\n'));
    while (id.endsWith(QLatin1Char(' '))) id.chop(1);
    if (id == now) return {};
    return QStringLiteral("row %1 now reads %2; the file translates %3").arg(row).arg(quotedText(now), quotedText(e.id));
}

}  // namespace

Expected<QByteArray> stringsPo(Workspace& ws, const QString& language) {
    if (!ws.hasDataFile()) return Result::failure(QStringLiteral("No service file with a data file is open"));
    CharMapCoding coding;
    coding.rebuild(ws.image().charMap);
    std::vector<PoEntry> entries;
    const int rows = ws.rowCount(ListKind::Strings);
    entries.reserve(size_t(rows));
    for (int row = 0; row < rows; ++row) {
        const auto text = stringOfRow(ws, coding, row);
        if (!text) return text.error();
        const StrEntry& e = ws.image().strings[size_t(row)];
        PoEntry entry;
        entry.context = QString::number(row);
        entry.id = poText(*text);
        entry.extractedComments << QStringLiteral("at most %1 characters, font page %2").arg(e.length).arg(e.fontAttribute);
        entries.push_back(std::move(entry));
    }
    const QString now = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm+0000"));
    const QString file = QFileInfo(ws.chosenName()).fileName();
    return writePo({QStringLiteral("Interface strings of %1.").arg(file),
                    QStringLiteral("msgctxt is the row of the string list; the phone's line break is written as \\n."),
                    QStringLiteral("Spaces that pad a text to its length are left out; entries left empty or fuzzy are not imported.")},
                   {{QStringLiteral("Project-Id-Version"), file},
                    {QStringLiteral("POT-Creation-Date"), now},
                    {QStringLiteral("PO-Revision-Date"), now},
                    {QStringLiteral("Last-Translator"), QString()},
                    {QStringLiteral("Language-Team"), QString()},
                    {QStringLiteral("Language"), language},
                    {QStringLiteral("MIME-Version"), QStringLiteral("1.0")},
                    {QStringLiteral("Content-Type"), QStringLiteral("text/plain; charset=UTF-8")},
                    {QStringLiteral("Content-Transfer-Encoding"), QStringLiteral("8bit")},
                    {QStringLiteral("X-Generator"), QStringLiteral("Quorvanta")}},
                   entries);
}

BulkResult exportStrings(Workspace& ws, const QString& poPath, const QString& language) {
    BulkResult result;
    const auto po = stringsPo(ws, language);
    if (!po) {
        result.status = po.error();
        return result;
    }
    if (result.status = writeWholeFile(poPath, *po); !result.status) return result;
    for (int row = 0; row < ws.rowCount(ListKind::Strings); ++row) result.rows.push_back(row);
    result.files.assign(result.rows.size(), poPath);
    return result;
}

BulkResult importStrings(Workspace& ws, const QString& poPath, BulkMode mode) {
    BulkResult result;
    const QFileInfo info(poPath);
    QFile f(poPath);
    if (!info.isFile() || !f.open(QIODevice::ReadOnly)) {
        const QString why = !info.exists() ? QStringLiteral("no such file")
                            : !info.isFile() ? QStringLiteral("it is not a regular file")
                                             : fileErrorReason(f);
        result.status = Result::failure(QStringLiteral("Can not open %1: %2").arg(poPath, why));
        return result;
    }
    const QByteArray bytes = f.read(kMaxPoBytes + 1);
    if (f.error() != QFileDevice::NoError) {
        result.status = Result::failure(QStringLiteral("Can not read %1: %2").arg(poPath, fileErrorReason(f)));
        return result;
    }
    if (bytes.size() > kMaxPoBytes) {
        result.status = Result::failure(QStringLiteral("%1 is too large for a PO file of phone strings").arg(poPath));
        return result;
    }
    return importStringsFrom(ws, bytes, poPath, mode);
}

BulkResult importStringsFrom(Workspace& ws, QByteArrayView po, const QString& fileName, BulkMode mode) {
    BulkResult result;
    if (!ws.hasDataFile()) {
        result.status = Result::failure(QStringLiteral("No service file with a data file is open"));
        return result;
    }
    const int rows = ws.rowCount(ListKind::Strings);
    std::map<int, RowEntries> byRow;
    const auto read = readPoEntries(po, [&](PoEntry&& e) {
        const int row = rowOfEntry(e, rows, fileName, result.problems);
        if (row < 0) return;
        RowEntries& r = byRow[row];
        r.lines.push_back(e.line);
        if (r.lines.size() == 1) r.first = std::move(e);
    });
    if (!read) {
        // Nothing of a file that cannot be read is taken, in either mode.
        result.problems = {};
        result.problems.push_back(unreadablePo(fileName, read.error().message()));
        return result;
    }
    const auto where = [&](int line) { return QStringLiteral("%1:%2").arg(fileName).arg(line); };

    CharMapCoding coding;
    coding.rebuild(ws.image().charMap);
    std::map<int, QString> changes;
    std::map<int, QByteArray> texts;
    QByteArray stored;
    for (const auto& [row, entries] : byRow) {
        const PoEntry& e = entries.first;
        if (entries.lines.size() > 1) {
            for (int line : entries.lines)
                result.problems.push_back({row, where(line), QStringLiteral("row %1 has %2 entries").arg(row).arg(entries.lines.size())});
            continue;
        }
        if (e.plural) {
            result.problems.push_back({row, where(e.line), QStringLiteral("a phone string has no plural forms")});
            continue;
        }
        if (e.translation.isEmpty()) continue;
        if (e.fuzzy) {
            result.fuzzy.push_back(row);
            continue;
        }
        const auto now = stringOfRow(ws, coding, row);
        if (!now) {
            result.status = now.error();
            return result;
        }
        if (const QString refusal = sourceMismatch(e, row, poText(*now)); !refusal.isEmpty()) {
            result.problems.push_back({row, where(e.line), refusal});
            continue;
        }
        const StrEntry& entry = ws.image().strings[size_t(row)];
        const StringCheck check = phoneString(e.translation, entry);
        if (!check.refusal.isEmpty()) {
            result.problems.push_back({row, where(e.line), check.refusal});
            continue;
        }
        Expected<QByteArray> read = ws.readBlob(kStringTable, row);
        if (result.status = read.error(); !result.status) return result;
        stored = std::move(*read);
        // Changed when the phone would show another text, not when only the glyph codes differ.
        if (coding.decode(storedString(check.text, entry, coding)) == coding.decode(stored)) {
            ++result.unchanged;
            continue;
        }
        if (const QString refusal = fontRefusal(coding, check.text, entry.fontAttribute); !refusal.isEmpty()) {
            result.problems.push_back({row, where(e.line), refusal});
            continue;
        }
        changes[row] = where(e.line);
        texts[row] = check.text;
    }
    return applyBatch(ws, std::move(result), mode, changes, [&](int row) {
        return applyString(ws, coding, row, texts[row], ws.image().strings[size_t(row)].fontAttribute);
    });
}

}  // namespace qv
