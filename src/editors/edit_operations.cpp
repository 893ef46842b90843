#include "editors/edit_operations.h"

#include "base/cp1251.h"
#include "base/file_kind.h"
#include "base/file_output.h"
#include "base/language_table.h"
#include "editors/bmp_file.h"
#include "editors/item_views.h"
#include "editors/list_texts.h"
#include "editors/phone_text.h"
#include "editors/picture_codec.h"
#include "editors/picture_import.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <algorithm>
#include <span>
#include <set>

namespace qv {

namespace {

// The standard 16-colour palette; 2-bit greys land on black, grey, silver and white.
const QList<QRgb> kSixteenColours = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
                                     0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                                     0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};


int nearestColour(QRgb c, const QList<QRgb>& palette) {
    int best = 0, bestDistance = INT_MAX;
    for (int i = 0; i < palette.size(); ++i) {
        const int dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]), db = qBlue(c) - qBlue(palette[i]);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) best = i, bestDistance = d;
    }
    return best;
}

// Each pixel mapped to the nearest colour of the palette, into a QImage with that colour table.
QImage indexedImage(const QImage& image, QImage::Format format, const QList<QRgb>& palette) {
    QImage out(image.size(), format);
    out.setColorTable(palette);
    out.fill(0);  // the bits past a row's last pixel would otherwise go into the file as they happen to be
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) out.setPixel(x, y, uint(nearestColour(image.pixel(x, y), palette)));
    return out;
}

const QList<QRgb> kBlackWhite = {0xFF000000, 0xFFFFFFFF};

// The sixteen greys of a 4-bit picture as the decoder shows them: the standard palette holds
// only four greys, which would lose the others.
QList<QRgb> sixteenGreys() {
    QList<QRgb> greys;
    for (int v = 0; v < 16; ++v) greys << qRgb(255 - 16 * v, 255 - 16 * v, 255 - 16 * v);
    return greys;
}

// The palette a picture is exported with: its own colours where 16 or fewer hold them all.
const QList<QRgb>* exportPalette(uint8_t format) {
    static const QList<QRgb> greys = sixteenGreys();
    if (format == kFormatMono1) return &kBlackWhite;
    if (format == kFormatGrey2) return &kSixteenColours;
    if (format == kFormatGrey4) return &greys;
    return nullptr;
}

Result writeThroughQt(const QImage& image, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QFileInfo(path).suffix().toLower().toLatin1());
    if (!writer.write(image))
        return Result::failure(QStringLiteral("Can not write %1: %2").arg(path, writer.errorString()));
    buffer.close();
    return writeWholeFile(path, bytes);
}

bool hasUnsafeCharacter(const QByteArray& name) {
    static const QByteArray rejected("\\/:*?\"<>|");
    for (char c : name)
        if (uint8_t(c) < '0' || uint8_t(c) > 0x7F || rejected.contains(c)) return true;
    return false;
}

// Names Windows keeps for devices, with or without an extension: a melody exported as "CON"
// would go to the console, not to a file.
bool isWindowsDeviceName(const QByteArray& name) {
    const QByteArray stem = name.left(name.indexOf('.') < 0 ? name.size() : name.indexOf('.')).toUpper();
    static const QList<QByteArray> fixed = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    if (fixed.contains(stem)) return true;
    return stem.size() == 4 && (stem.startsWith("COM") || stem.startsWith("LPT")) && stem[3] >= '0' && stem[3] <= '9';
}

void tick(Workspace& ws, ListKind kind, int row) {
    auto& t = ws.ticks(kind);
    if (row >= 0 && size_t(row) < t.size()) t[size_t(row)] = true;
}

// The one check of the row an edit names, before anything is read.
Result checkRow(const Workspace& ws, ListKind kind, int row) {
    const int rows = ws.rowCount(kind);
    if (row >= 0 && row < rows) return {};
    return Result(ResultCode::NotFound, QStringLiteral("Row %1 is outside the list (%2 rows)").arg(row).arg(rows));
}

}  // namespace

namespace {
QString hex4(int row) { return QString::number(row, 16).toUpper().rightJustified(4, QChar('0')); }
}  // namespace

QString pictureExportName(int row) { return QStringLiteral("bitmap%1.bmp").arg(hex4(row)); }

Result importPicture(Workspace& ws, int row, const QString& bitmapPath) {
    if (Result s = checkRow(ws, ListKind::Pictures, row); !s) return s;
    if (!pictureImportOffered(ws.image().pictures[size_t(row)]))
        return Result(ResultCode::UnsupportedFormat, QStringLiteral("Import is not offered for this picture's format"));
    const auto in = importIntoRow(ws, row, bitmapPath);
    if (!in) return in.error();
    if (!in->unchanged) {
        if (in->refused()) return in->status;
        if (Result s = ws.writeBlob(kPictureTable, row, in->bytes); !s) return s;
    }
    tick(ws, ListKind::Pictures, row);
    return {};
}

bool writtenThroughQt(const QString& path) {
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    return !suffix.isEmpty() && suffix != "bmp" && suffix != "dib" && QImageWriter::supportedImageFormats().contains(suffix);
}

Result exportPicture24(Workspace& ws, int row, const QString& path) {
    if (Result s = checkRow(ws, ListKind::Pictures, row); !s) return s;
    const auto picture = pictureOfRow(ws, row);
    if (!picture) return picture.error();
    if (writtenThroughQt(path)) return writeThroughQt(picture->convertToFormat(QImage::Format_RGB32), path);
    return writeBmp24File(*picture, path);
}

Expected<QImage> pictureKeepingDepth(Workspace& ws, int row) {
    if (Result s = checkRow(ws, ListKind::Pictures, row); !s) return s;
    const auto picture = pictureOfRow(ws, row);
    if (!picture) return picture.error();
    const QList<QRgb>* palette = exportPalette(ws.image().pictures[size_t(row)].format);
    if (!palette) return picture->convertToFormat(QImage::Format_RGB32);
    return indexedImage(*picture, palette->size() == 2 ? QImage::Format_Mono : QImage::Format_Indexed8, *palette);
}

Result exportPictureKeepingDepth(Workspace& ws, int row, const QString& path) {
    const auto picture = pictureKeepingDepth(ws, row);
    if (!picture) return picture.error();
    if (writtenThroughQt(path)) return writeThroughQt(*picture, path);
    return writeBmpFile(*picture, path);
}

Expected<QByteArray> melodySlot(Workspace& ws, int row) {
    return ws.readBlob(kMelodyTable, row);
}

Expected<MelodyImport> importMelody(Workspace& ws, int row, const QString& path) {
    if (Result s = checkRow(ws, ListKind::Melodies, row); !s) return s;
    if (!QFileInfo(path).isFile()) return Result::failure(QStringLiteral("Can not open %1: it is not a regular file").arg(path));
    const uint32_t slot = ws.image().melodies[size_t(row)].size;
    auto read = readRegularFile(path, qint64(slot) + 1);
    if (!read) return Result::failure(QStringLiteral("Can not open %1: %2").arg(path, read.error().message()));
    QByteArray bytes = std::move(*read);
    // An empty file would silence the slot; it is far more likely a failed download or copy.
    if (bytes.isEmpty()) return Result(ResultCode::Refused, QStringLiteral("Can not import %1: the file is empty").arg(path));
    tick(ws, ListKind::Melodies, row);
    // Nothing stored: the remembered file names stay as they were.
    if (uint32_t(bytes.size()) > slot)
        return Result(ResultCode::TooLarge,
                      langText(Text::FileSizeAtMost) + QLatin1Char(' ') + QString::number(slot) + langText(Text::BytesUnit));
    // Stored melodies remember their files: with no way to remember, nothing is stored.
    if (Result s = checkOutputTarget(ws.names().mru, WriteRole::OwnFile); !s)
        return Result(s.code(), QStringLiteral("%1; nothing was imported").arg(s.message()));
    bytes.append(QByteArray(int(slot) - bytes.size(), '\0'));
    if (Result s = ws.writeBlob(kMelodyTable, row, bytes); !s) return s;
    if (row < kMruSlots) ws.melodyFileNames()[size_t(row)] = QFileInfo(path).absoluteFilePath();
    return MelodyImport{saveMelodyFileNames(ws.names().mru, ws.melodyFileNames())};
}

int melodyNameRow(const Workspace& ws, int row) {
    const uint16_t n = ws.image().melodies[size_t(row)].nameString;
    return n != MelEntry::kNoNameString && int(n) < ws.rowCount(ListKind::Strings) ? int(n) : -1;
}

QString melodyExportName(const Workspace& ws, int row, const std::vector<QString>& stringTexts) {
    const int named = melodyNameRow(ws, row);
    QByteArray base = named >= 0 && size_t(named) < stringTexts.size() ? toCp1251(stringTexts[size_t(named)])
                                                                         : melodyName(ws.image().melodies[size_t(row)]);
    if (!base.isEmpty() && (hasUnsafeCharacter(base) || isWindowsDeviceName(base)))
        base = QStringLiteral("melody_%1").arg(hex4(row)).toLatin1();
    const uint16_t type = ws.image().directory.phoneType;
    return QString::fromLatin1(base) + ((type == 4 || type == 6) ? ".dxm" : ".mmf");
}

Result exportMelody(Workspace& ws, int row, const QString& path) {
    if (Result s = checkRow(ws, ListKind::Melodies, row); !s) return s;
    const auto bytes = melodySlot(ws, row);
    if (!bytes) return bytes.error();
    return writeWholeFile(path, *bytes);
}

Result setMelodyName(Workspace& ws, int melodyRow, std::optional<int> stringRow) {
    if (Result s = checkRow(ws, ListKind::Melodies, melodyRow); !s) return s;
    if (stringRow)
        if (Result s = checkRow(ws, ListKind::Strings, *stringRow); !s) return s;
    return ws.edit([&] {
        ws.image().melodies[size_t(melodyRow)].nameString = stringRow ? ws.image().strings[size_t(*stringRow)].id : MelEntry::kNoNameString;
        return Result();
    });
}

uint16_t parseOperatorCode(const QString& text) {
    bool ok = false;
    const uint v = text.trimmed().toUInt(&ok, 16);
    return ok && !text.trimmed().isEmpty() && v <= 0xFFFF ? uint16_t(v) : 0;
}

Result applyOperator(Workspace& ws, int row, const QString& codeText, const QByteArray& name1, const QByteArray& name2,
                     const QByteArray& name3) {
    if (Result s = checkRow(ws, ListKind::Operators, row); !s) return s;
    const OperFormat& f = ws.image().operFormat;
    OperRecord& r = ws.image().operRecords[size_t(row)];
    // A name passed as stored stays as it is, however long (it came from the phone); a new one
    // must fit the phone's operator format.
    const struct {
        const QByteArray& name;
        std::span<uint8_t> field;
        int limit;
    } names[] = {{name1, r.name1, std::min<int>(f.name1Length, 30)},
                 {name2, r.name2, std::min<int>(f.name2Length, 50)},
                 {name3, r.name3, std::min<int>(f.name3Length, 100)}};
    bool changed[3];
    for (int k = 0; k < 3; ++k) {
        changed[k] = names[k].name != nameUpToZero(names[k].field.data(), names[k].field.size());
        if (changed[k] && names[k].name.size() > names[k].limit)
            return Result(ResultCode::TooLarge,
                          QStringLiteral("Operator name #%1 holds at most %2 characters").arg(k + 1).arg(names[k].limit));
    }
    return ws.edit([&] {
        for (int k = 0; k < 3; ++k)
            if (changed[k]) {
                std::fill(names[k].field.begin(), names[k].field.end(), uint8_t(0));
                std::copy(names[k].name.begin(), names[k].name.end(), names[k].field.begin());
            }
        r.code1 = parseOperatorCode(codeText);
        QByteArray record(int(OperRecord::kSize), '\0');
        r.write(reinterpret_cast<uint8_t*>(record.data()));
        // The data file holds whole records; a shorter stored length takes what fits.
        record.truncate(int(ws.image().blob(kOperatorTable, row).length));
        if (Result s = ws.writeBlob(kOperatorTable, row, record); !s) return s;
        tick(ws, ListKind::Operators, row);
        return Result();
    });
}

Result applyString(Workspace& ws, const CharMapCoding& coding, int row, const QByteArray& text, int page) {
    if (Result s = checkRow(ws, ListKind::Strings, row); !s) return s;
    const StrEntry& e = ws.image().strings[size_t(row)];
    // The phone ends a text at its first zero: what followed it would be lost.
    if (text.contains('\0'))
        return Result(ResultCode::Refused, QStringLiteral("A phone string can not hold the character U+0000 (NUL)"));
    if (text.size() > int(e.length))
        return Result(ResultCode::TooLarge,
                      QStringLiteral("The text has %1 characters; this string holds %2").arg(text.size()).arg(e.length));
    if (page < 0 || page > 5) return Result(ResultCode::Refused, QStringLiteral("Font page %1 does not exist").arg(page));
    if (const QString refusal = fontRefusal(coding, text, page); !refusal.isEmpty())
        return Result(ResultCode::Refused, refusal);
    const QByteArray padded = text + QByteArray(int(e.length) - text.size(), ' ');
    QByteArray encoded = coding.encode(padded.left(std::min<int>(e.length, kMaxStringChars)), page);
    // The bytes past the encoded characters are zeros, never leftovers.
    encoded = encoded.left(e.size);
    encoded.append(QByteArray(int(e.size) - encoded.size(), '\0'));
    return ws.edit([&] {
        ws.image().strings[size_t(row)].fontAttribute = uint8_t(page);
        if (Result s = ws.writeBlob(kStringTable, row, encoded); !s) return s;
        tick(ws, ListKind::Strings, row);
        return Result();
    });
}

int findStringRow(const std::vector<QString>& texts, const QString& prefix) {
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i].startsWith(prefix, Qt::CaseSensitive)) return int(i);
    return -1;
}

Result deleteRows(Workspace& ws, ListKind kind, std::vector<int> rows) {
    const int count = ws.rowCount(kind);
    std::set<int> doomed;
    for (int r : rows) {
        if (Result s = checkRow(ws, kind, r); !s) return s;
        doomed.insert(r);
    }
    if (doomed.empty()) return {};
    return ws.edit([&] {
        MediaImage& m = ws.image();
        const int id = tableOfList(kind);
        const int entries = int(m.count(id));
        if (kind == ListKind::Strings) {
            // Melody names are string rows: a removed row leaves its melody unnamed, and rows
            // after it move up by the number of removed rows before them.
            for (int i = 0; i < int(m.count(kMelodyTable)); ++i) {
                uint16_t& n = m.melodies[size_t(i)].nameString;
                if (n == MelEntry::kNoNameString || int(n) >= count) continue;
                if (doomed.count(n)) {
                    n = MelEntry::kNoNameString;
                } else {
                    n = uint16_t(n - std::distance(doomed.begin(), doomed.lower_bound(n)));
                }
            }
        }
        auto compact = [&](auto& table) {
            int to = 0;
            for (int from = 0; from < entries; ++from)
                if (!doomed.count(from)) table[size_t(to++)] = table[size_t(from)];
        };
        switch (kind) {
        case ListKind::Pictures: compact(m.pictures); break;
        case ListKind::Melodies: compact(m.melodies); break;
        case ListKind::Operators:
            compact(m.operators);
            compact(m.operRecords);
            break;
        case ListKind::Strings: compact(m.strings); break;
        }
        m.entry(id).count = uint32_t(entries - int(doomed.size()));
        auto& ticks = ws.ticks(kind);
        std::vector<bool> kept;
        for (size_t i = 0; i < ticks.size(); ++i)
            if (!doomed.count(int(i))) kept.push_back(ticks[i]);
        ticks = kept;
        return Result();
    });
}

}  // namespace qv
