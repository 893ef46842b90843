#include "editors/bulk_operations.h"

#include "base/cp1251.h"
#include "base/file_output.h"
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
    for (QChar c : translation) {
        const int byte = c == u'\n' ? kLineBreakChar : charToCp1251(c);
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

// The entries by the string row their msgctxt names; an entry that names none is a problem.
std::map<int, std::vector<const PoEntry*>> entriesByRow(const PoCatalogue& catalogue, int rows, const QString& fileName,
                                                        std::vector<BulkProblem>& problems) {
    std::map<int, std::vector<const PoEntry*>> byRow;
    for (const PoEntry& e : catalogue.entries) {
        if (!e.context) {
            problems.push_back({-1, poPlace(fileName, e), QStringLiteral("the entry has no msgctxt naming its string row")});
            continue;
        }
        bool ok = false;
        const int row = e.context->toInt(&ok);
        if (!ok || row < 0 || row >= rows || *e.context != QString::number(row)) {
            problems.push_back({-1, poPlace(fileName, e), QStringLiteral("msgctxt \"%1\" names no string row (the list has %2 rows)")
                                                              .arg(*e.context).arg(rows)});
            continue;
        }
        byRow[row].push_back(&e);
    }
    return byRow;
}

}  // namespace

QByteArray stringsPo(Workspace& ws, const QString& language, Result* status) {
    if (status) *status = {};
    if (!ws.hasDataFile()) {
        if (status) *status = Result::failure(QStringLiteral("No service file with a data file is open"));
        return {};
    }
    CharMapCoding coding;
    coding.rebuild(ws.image().charMap);
    std::vector<PoEntry> entries;
    const int rows = ws.rowCount(ListKind::Strings);
    entries.reserve(size_t(rows));
    QByteArray text;
    for (int row = 0; row < rows; ++row) {
        if (Result s = stringOfRow(ws, coding, row, text); !s) {
            if (status) *status = s;
            return {};
        }
        const StrEntry& e = ws.image().strings[size_t(row)];
        PoEntry entry;
        entry.context = QString::number(row);
        entry.id = poText(text);
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
    const QByteArray po = stringsPo(ws, language, &result.status);
    if (!result.status) return result;
    if (result.status = writeWholeFile(poPath, po); !result.status) return result;
    for (int row = 0; row < ws.rowCount(ListKind::Strings); ++row) result.rows.push_back(row);
    result.files.assign(result.rows.size(), poPath);
    return result;
}

BulkResult importStrings(Workspace& ws, const QString& poPath, BulkMode mode) {
    BulkResult result;
    QFile f(poPath);
    if (!QFileInfo(poPath).isFile() || !f.open(QIODevice::ReadOnly)) {
        result.status = Result::failure(QStringLiteral("Can not open %1: %2").arg(
            poPath, QFileInfo(poPath).isFile() ? fileErrorReason(f) : QStringLiteral("it is not a regular file")));
        return result;
    }
    const QByteArray bytes = f.read(kMaxPoBytes + 1);
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
    const auto catalogue = parsePo(po);
    if (!catalogue) {
        // Nothing of a file that cannot be read is taken, in either mode.
        result.problems.push_back(unreadablePo(fileName, catalogue.error().message()));
        return result;
    }
    const auto where = [&](const PoEntry& e) { return poPlace(fileName, e); };
    const auto byRow = entriesByRow(*catalogue, ws.rowCount(ListKind::Strings), fileName, result.problems);

    CharMapCoding coding;
    coding.rebuild(ws.image().charMap);
    std::map<int, QString> changes;
    std::map<int, QByteArray> texts;
    QByteArray stored;
    for (const auto& [row, list] : byRow) {
        if (list.size() > 1) {
            for (const PoEntry* e : list)
                result.problems.push_back({row, where(*e), QStringLiteral("row %1 has %2 entries").arg(row).arg(list.size())});
            continue;
        }
        const PoEntry& e = *list.front();
        if (e.plural) {
            result.problems.push_back({row, where(e), QStringLiteral("a phone string has no plural forms")});
            continue;
        }
        if (e.translation.isEmpty()) continue;
        if (e.fuzzy) {
            result.fuzzy.push_back(row);
            continue;
        }
        const StrEntry& entry = ws.image().strings[size_t(row)];
        const StringCheck check = phoneString(e.translation, entry);
        if (!check.refusal.isEmpty()) {
            result.problems.push_back({row, where(e), check.refusal});
            continue;
        }
        if (result.status = ws.readBlob(kStringTable, row, stored); !result.status) return result;
        // Changed when the phone would show another text, not when only the glyph codes differ.
        if (coding.decode(storedString(check.text, entry, coding)) == coding.decode(stored)) {
            ++result.unchanged;
            continue;
        }
        if (const QString refusal = fontRefusal(coding, check.text, entry.fontAttribute); !refusal.isEmpty()) {
            result.problems.push_back({row, where(e), refusal});
            continue;
        }
        changes[row] = where(e);
        texts[row] = check.text;
    }
    return applyBatch(ws, std::move(result), mode, changes, [&](int row) {
        return applyString(ws, coding, row, texts[row], ws.image().strings[size_t(row)].fontAttribute);
    });
}

}  // namespace qv
