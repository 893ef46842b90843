#include "editors/bulk_operations.h"

#include "base/cp1251.h"
#include "base/file_output.h"
#include "base/language_table.h"
#include "editors/bmp_file.h"
#include "editors/char_map_coding.h"
#include "editors/edit_operations.h"
#include "editors/item_views.h"
#include "editors/picture_codec.h"
#include "editors/po_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <functional>
#include <map>

namespace qv {

namespace {

// Far more than the PO file of the largest string table.
constexpr qint64 kMaxPoBytes = qint64(64) * 1024 * 1024;

QString fiveDigits(int row) { return QString::number(row).rightJustified(5, QLatin1Char('0')); }

QString characterName(QChar c) {
    const QString code = QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    return c.isPrint() ? QStringLiteral("\"%1\" (%2)").arg(c).arg(code) : code;
}

// The files of a folder whose names begin with a number, by the row that number names. Numbers
// past the list and rows named by more than one file are problems.
Result numberedFiles(const QString& folder, int rows, const QString& listName, std::map<int, QString>& out,
                     std::vector<BulkProblem>& problems) {
    const QFileInfo info(folder);
    if (!info.isDir())
        return Result::failure(QStringLiteral("Can not read %1: %2").arg(folder, info.exists() ? QStringLiteral("it is not a folder")
                                                                                                : QStringLiteral("no such folder")));
    if (!info.isReadable()) return Result::failure(QStringLiteral("Can not read %1: permission denied").arg(folder));
    static const QRegularExpression leadingNumber(QStringLiteral("^([0-9]+)"));
    std::map<int, QStringList> byRow;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files, QDir::Name)) {
        const auto m = leadingNumber.match(f.fileName());
        if (!m.hasMatch()) continue;
        bool ok = false;
        const qulonglong n = m.captured(1).toULongLong(&ok);
        if (!ok || n >= qulonglong(rows)) {
            problems.push_back({-1, f.filePath(),
                                QStringLiteral("there is no %1 row %2 (the list has %3 rows)").arg(listName, m.captured(1)).arg(rows)});
            continue;
        }
        byRow[int(n)] << f.filePath();
    }
    for (const auto& [row, paths] : byRow) {
        if (paths.size() == 1) {
            out[row] = paths.first();
            continue;
        }
        for (const QString& path : paths)
            problems.push_back({row, path, QStringLiteral("%1 files name row %2; keep one of them").arg(paths.size()).arg(row)});
    }
    return {};
}

// The changes as one edit, or nothing when any item was refused and the mode asks for all.
BulkResult applyBatch(Workspace& ws, BulkResult result, BulkMode mode, const std::map<int, QString>& changes,
                      const std::function<Result(int row)>& apply) {
    if (changes.empty() || (!result.problems.empty() && mode == BulkMode::AllOrNothing)) return result;
    Result s = ws.edit([&] {
        for (const auto& [row, file] : changes)
            if (Result one = apply(row); !one) return one;
        return Result();
    });
    if (!s) {
        result.status = s;
        return result;
    }
    for (const auto& [row, file] : changes) {
        result.rows.push_back(row);
        result.files.push_back(file);
    }
    return result;
}

// --- Strings ---

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

// A character shows when its glyph in the string's page reads back as the same character.
QString fontRefusal(const QByteArray& text, const StrEntry& e, const CharMapCoding& coding) {
    const QByteArray shown = coding.decode(coding.encode(text, e.fontAttribute));
    for (qsizetype i = 0; i < text.size(); ++i)
        if (shown[i] != text[i])
            return QStringLiteral("the phone's font has no character %1 in page %2")
                .arg(characterName(cp1251ToChar(uint8_t(text[i]))))
                .arg(e.fontAttribute);
    return {};
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

// --- Pictures ---

bool samePixels(const Bitmap& bitmap, const QImage& image) {
    if (image.width() != bitmap.width || image.height() != bitmap.height) return false;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        const QRgb* own = bitmap.pixels.data() + size_t(y) * size_t(bitmap.width);
        for (int x = 0; x < rgb.width(); ++x)
            if ((line[x] | 0xFF000000u) != (own[x] | 0xFF000000u)) return false;
    }
    return true;
}

}  // namespace

// --- Strings ---

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
    QString why;
    const auto catalogue = parsePo(po, &why);
    if (!catalogue) {
        // Nothing of a file that cannot be read is taken, in either mode.
        const qsizetype colon = why.indexOf(QLatin1String(": "));
        const bool hasLine = why.startsWith(QLatin1String("line ")) && colon > 0;
        result.problems.push_back({-1, hasLine ? fileName + QLatin1Char(':') + why.mid(5, colon - 5) : fileName,
                                   hasLine ? why.mid(colon + 2) : why});
        return result;
    }
    const int rows = ws.rowCount(ListKind::Strings);
    const auto where = [&](const PoEntry& e) { return QStringLiteral("%1:%2").arg(fileName).arg(e.line); };

    std::map<int, std::vector<const PoEntry*>> byRow;
    for (const PoEntry& e : catalogue->entries) {
        if (!e.context) {
            result.problems.push_back({-1, where(e), QStringLiteral("the entry has no msgctxt naming its string row")});
            continue;
        }
        bool ok = false;
        const int row = e.context->toInt(&ok);
        if (!ok || row < 0 || row >= rows || *e.context != QString::number(row)) {
            result.problems.push_back({-1, where(e), QStringLiteral("msgctxt \"%1\" names no string row (the list has %2 rows)")
                                                         .arg(*e.context).arg(rows)});
            continue;
        }
        byRow[row].push_back(&e);
    }

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
        if (const QString refusal = fontRefusal(check.text, entry, coding); !refusal.isEmpty()) {
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

// --- Pictures ---

QString pictureFileName(const Workspace& ws, int row, PictureFileType type) {
    const PictEntry& e = ws.image().pictures[size_t(row)];
    return QStringLiteral("%1_%2x%3.%4").arg(fiveDigits(row)).arg(e.width).arg(e.height)
        .arg(type == PictureFileType::Png ? QStringLiteral("png") : QStringLiteral("bmp"));
}

namespace {

// Every row of a list written to its own file in `folder`; stops at the first failure.
void exportEachRow(Workspace& ws, ListKind kind, const QString& folder, BulkResult& result,
                   const std::function<QString(int)>& fileName, const std::function<Result(int, const QString&)>& write) {
    for (int row = 0; row < ws.rowCount(kind); ++row) {
        const QString path = QDir(folder).filePath(fileName(row));
        if (result.status = write(row, path); !result.status) return;
        result.rows.push_back(row);
        result.files.push_back(path);
    }
}

}  // namespace

BulkResult exportPictures(Workspace& ws, const QString& folder, PictureFileType type) {
    BulkResult result;
    if (!QDir().mkpath(folder)) {
        result.status = Result::failure(QStringLiteral("Can not make the folder %1").arg(folder));
        return result;
    }
    exportEachRow(ws, ListKind::Pictures, folder, result, [&](int row) { return pictureFileName(ws, row, type); },
                  [&](int row, const QString& path) { return exportPictureKeepingDepth(ws, row, path); });
    return result;
}

BulkResult importPictures(Workspace& ws, const QString& folder, BulkMode mode) {
    BulkResult result;
    std::map<int, QString> files;
    if (result.status = numberedFiles(folder, ws.rowCount(ListKind::Pictures), QStringLiteral("picture"), files,
                                      result.problems);
        !result.status)
        return result;
    std::map<int, QString> changes;
    std::map<int, QByteArray> encoded;
    for (const auto& entry : files) {
        const int row = entry.first;
        const QString& path = entry.second;
        auto refuse = [&](const QString& reason) { result.problems.push_back({row, path, reason}); };
        const PictEntry e = ws.image().pictures[size_t(row)];
        QString why;
        const auto bitmap = readImageFile(path, &why);
        if (!bitmap) {
            refuse(why);
            continue;
        }
        if (bitmap->width != e.width || bitmap->height != e.height) {
            refuse(QStringLiteral("the image is %1x%2, the picture %3x%4").arg(bitmap->width).arg(bitmap->height).arg(e.width).arg(e.height));
            continue;
        }
        // What an export of the row gives (in its own depth or in 24 bits) is no change.
        QImage current, kept;
        if (result.status = pictureOfRow(ws, row, current); !result.status) return result;
        if (result.status = pictureKeepingDepth(ws, row, kept); !result.status) return result;
        if (samePixels(*bitmap, kept) || samePixels(*bitmap, current)) {
            ++result.unchanged;
            continue;
        }
        if (!pictureImportOffered(e)) {
            refuse(QStringLiteral("import is not offered for this picture's format"));
            continue;
        }
        const EncodeResult r = encodePicture({e.width, e.height, e.format, e.variant, ws.image().directory.phoneType},
                                             *bitmap, int(e.size));
        if (r.kind == EncodeResult::Refused) {
            refuse(r.message);
            continue;
        }
        if (r.kind == EncodeResult::NothingWritten) {
            refuse(QStringLiteral("a 16-colour image only fits a 2-bit picture"));
            continue;
        }
        QByteArray stored;
        if (result.status = ws.readBlob(kPictureTable, row, stored); !result.status) return result;
        if (r.bytes == stored) {
            ++result.unchanged;
            continue;
        }
        changes[row] = path;
        encoded[row] = r.bytes;
    }
    return applyBatch(ws, std::move(result), mode, changes, [&](int row) {
        if (Result s = ws.writeBlob(kPictureTable, row, encoded[row]); !s) return s;
        ws.ticks(ListKind::Pictures)[size_t(row)] = true;
        return Result();
    });
}

// --- Melodies ---

QString melodyFileName(Workspace& ws, int row, const std::vector<QString>& stringTexts) {
    return fiveDigits(row) + QLatin1Char('_') + melodyExportName(ws, row, stringTexts);
}

BulkResult exportMelodies(Workspace& ws, const QString& folder) {
    BulkResult result;
    if (!QDir().mkpath(folder)) {
        result.status = Result::failure(QStringLiteral("Can not make the folder %1").arg(folder));
        return result;
    }
    // The names come from the string list as the window shows it.
    std::vector<QString> texts;
    CharMapCoding coding;
    coding.rebuild(ws.image().charMap);
    QByteArray text;
    for (int row = 0; row < ws.rowCount(ListKind::Strings); ++row) {
        if (result.status = stringOfRow(ws, coding, row, text); !result.status) return result;
        texts.push_back(fromCp1251(text));
    }
    exportEachRow(ws, ListKind::Melodies, folder, result, [&](int row) { return melodyFileName(ws, row, texts); },
                  [&](int row, const QString& path) { return exportMelody(ws, row, path); });
    return result;
}

BulkResult importMelodies(Workspace& ws, const QString& folder, BulkMode mode) {
    BulkResult result;
    std::map<int, QString> files;
    if (result.status = numberedFiles(folder, ws.rowCount(ListKind::Melodies), QStringLiteral("melody"), files,
                                      result.problems);
        !result.status)
        return result;
    std::map<int, QString> changes;
    std::map<int, QByteArray> slotBytes;
    for (const auto& [row, path] : files) {
        const uint32_t slot = ws.image().melodies[size_t(row)].size;
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            result.problems.push_back({row, path, QStringLiteral("can not open the file: %1").arg(fileErrorReason(f))});
            continue;
        }
        QByteArray bytes = f.read(qint64(slot) + 1);
        if (uint32_t(bytes.size()) > slot) {
            result.problems.push_back({row, path, langText(Text::FileSizeAtMost) + QLatin1Char(' ') + QString::number(slot) + langText(Text::BytesUnit)});
            continue;
        }
        bytes.append(QByteArray(int(slot) - bytes.size(), '\0'));
        QByteArray stored;
        if (result.status = ws.readBlob(kMelodyTable, row, stored); !result.status) return result;
        if (bytes == stored) {
            ++result.unchanged;
            continue;
        }
        changes[row] = path;
        slotBytes[row] = bytes;
    }
    result = applyBatch(ws, std::move(result), mode, changes, [&](int row) {
        if (Result s = ws.writeBlob(kMelodyTable, row, slotBytes[row]); !s) return s;
        ws.ticks(ListKind::Melodies)[size_t(row)] = true;
        return Result();
    });
    if (!result.status || result.rows.empty()) return result;
    // As the single import does, each changed melody remembers the file it came from.
    for (size_t k = 0; k < result.rows.size(); ++k)
        if (result.rows[k] < kMruSlots) ws.melodyFileNames()[size_t(result.rows[k])] = QFileInfo(result.files[k]).absoluteFilePath();
    QString why;
    if (!saveMelodyFileNames(ws.names().mru, ws.melodyFileNames(), &why)) result.problems.push_back({-1, ws.names().mru, why});
    return result;
}

}  // namespace qv
