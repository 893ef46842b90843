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


void putLE(QByteArray& b, int at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
}

int nearestColour(QRgb c, const QList<QRgb>& palette) {
    int best = 0, bestDistance = INT_MAX;
    for (int i = 0; i < palette.size(); ++i) {
        const int dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]), db = qBlue(c) - qBlue(palette[i]);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) best = i, bestDistance = d;
    }
    return best;
}

// A palette bitmap of 1 or 4 bits per pixel, each pixel mapped to the nearest palette colour.
QByteArray indexedBmp(const QImage& image, int bits, const QList<QRgb>& palette) {
    const int w = image.width(), h = image.height();
    const int stride = ((w * bits + 31) / 32) * 4;
    const int paletteBytes = 4 * int(palette.size());
    const int offset = 54 + paletteBytes;
    QByteArray out(offset + stride * h, '\0');
    out[0] = 'B', out[1] = 'M';
    putLE(out, 2, uint32_t(out.size()), 4);
    putLE(out, 10, uint32_t(offset), 4);
    putLE(out, 14, 40, 4);
    putLE(out, 18, uint32_t(w), 4);
    putLE(out, 22, uint32_t(h), 4);
    putLE(out, 26, 1, 2);
    putLE(out, 28, uint32_t(bits), 2);
    putLE(out, 34, uint32_t(stride * h), 4);
    putLE(out, 38, 2835, 4);
    putLE(out, 42, 2835, 4);
    putLE(out, 46, uint32_t(palette.size()), 4);
    for (int i = 0; i < palette.size(); ++i) putLE(out, 54 + 4 * i, palette[i] & 0xFFFFFF, 4);
    for (int y = 0; y < h; ++y) {
        char* row = out.data() + offset + (h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            const int index = nearestColour(image.pixel(x, y), palette);
            const int bit = x * bits;
            row[bit / 8] = char(uint8_t(row[bit / 8]) | (index << (8 - bits - bit % 8)));
        }
    }
    return out;
}

// The same mapping into a QImage with a colour table, for the formats Qt writes.
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

EditOutcome refusal(QString message) {
    EditOutcome out;
    out.refused = true;
    out.message = std::move(message);
    return out;
}

void tick(Workspace& ws, ListKind kind, int row) {
    auto& t = ws.ticks(kind);
    if (row >= 0 && size_t(row) < t.size()) t[size_t(row)] = true;
}

Result rowOutside(int row, int rows) {
    return Result::failure(QStringLiteral("Row %1 is outside the list (%2 rows)").arg(row).arg(rows));
}

}  // namespace

bool pictureImportOffered(const PictEntry& e) {
    return !(e.format == kFormatGrey4 || e.variant == kVariantColumnWords || (e.variant == 0 && e.format == kFormatMono1));
}

namespace {
QString hex4(int row) { return QString::number(row, 16).toUpper().rightJustified(4, QChar('0')); }
}  // namespace

QString pictureExportName(int row) { return QStringLiteral("bitmap%1.bmp").arg(hex4(row)); }

EditOutcome importPicture(Workspace& ws, int row, const QString& bitmapPath) {
    if (row < 0 || row >= ws.rowCount(ListKind::Pictures))
        return refusal(rowOutside(row, ws.rowCount(ListKind::Pictures)).message());
    const auto in = importIntoRow(ws, row, bitmapPath);
    if (!in) return refusal(in.error().message());
    if (!in->unchanged) {
        if (in->refused()) return refusal(in->refusal);
        if (Result s = ws.writeBlob(kPictureTable, row, in->bytes); !s) return refusal(s.message());
    }
    EditOutcome out;
    out.stored = true;
    out.ticked = true;
    tick(ws, ListKind::Pictures, row);
    return out;
}

bool writtenThroughQt(const QString& path) {
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    return !suffix.isEmpty() && suffix != "bmp" && suffix != "dib" && QImageWriter::supportedImageFormats().contains(suffix);
}

Result exportPicture24(Workspace& ws, int row, const QString& path) {
    if (row < 0 || row >= ws.rowCount(ListKind::Pictures)) return rowOutside(row, ws.rowCount(ListKind::Pictures));
    QImage picture;
    if (Result s = pictureOfRow(ws, row, picture); !s) return s;
    if (writtenThroughQt(path)) return writeThroughQt(picture.convertToFormat(QImage::Format_RGB32), path);
    return writeBmp24File(picture, path);
}

Result pictureKeepingDepth(Workspace& ws, int row, QImage& out) {
    if (row < 0 || row >= ws.rowCount(ListKind::Pictures)) return rowOutside(row, ws.rowCount(ListKind::Pictures));
    QImage picture;
    if (Result s = pictureOfRow(ws, row, picture); !s) return s;
    const QList<QRgb>* palette = exportPalette(ws.image().pictures[size_t(row)].format);
    if (!palette)
        out = picture.convertToFormat(QImage::Format_RGB32);
    else
        out = indexedImage(picture, palette->size() == 2 ? QImage::Format_Mono : QImage::Format_Indexed8, *palette);
    return {};
}

Result exportPictureKeepingDepth(Workspace& ws, int row, const QString& path) {
    QImage picture;
    if (Result s = pictureKeepingDepth(ws, row, picture); !s) return s;
    if (writtenThroughQt(path)) return writeThroughQt(picture, path);
    const QList<QRgb>* palette = exportPalette(ws.image().pictures[size_t(row)].format);
    if (palette) return writeWholeFile(path, indexedBmp(picture, palette->size() == 2 ? 1 : 4, *palette));
    return writeBmp24File(picture, path);
}

QByteArray melodySlot(Workspace& ws, int row, Result* status) {
    Expected<QByteArray> bytes = ws.readBlob(kMelodyTable, row);
    if (status) *status = bytes.error();
    return bytes ? std::move(*bytes) : QByteArray();
}

EditOutcome importMelody(Workspace& ws, int row, const QString& path) {
    if (row < 0 || row >= ws.rowCount(ListKind::Melodies))
        return refusal(rowOutside(row, ws.rowCount(ListKind::Melodies)).message());
    if (!QFileInfo(path).isFile()) return refusal(QStringLiteral("Can not open %1: it is not a regular file").arg(path));
    const uint32_t slot = ws.image().melodies[size_t(row)].size;
    auto read = readRegularFile(path, qint64(slot) + 1);
    if (!read) return refusal(QStringLiteral("Can not open %1: %2").arg(path, read.error().message()));
    QByteArray bytes = std::move(*read);
    // An empty file would silence the slot; it is far more likely a failed download or copy.
    if (bytes.isEmpty()) return refusal(QStringLiteral("Can not import %1: the file is empty").arg(path));
    EditOutcome out;
    out.ticked = true;
    tick(ws, ListKind::Melodies, row);
    if (uint32_t(bytes.size()) > slot) {
        out.refused = true;
        out.message = langText(Text::FileSizeAtMost) + QLatin1Char(' ') + QString::number(slot) + langText(Text::BytesUnit);
        return out;  // nothing stored: the remembered file names stay as they were
    }
    // Stored melodies remember their files: with no way to remember, nothing is stored.
    if (Result s = checkOutputTarget(ws.names().mru, WriteRole::OwnFile); !s) {
        out.refused = true;
        out.message = QStringLiteral("%1; nothing was imported").arg(s.message());
        return out;
    }
    bytes.append(QByteArray(int(slot) - bytes.size(), '\0'));
    if (Result s = ws.writeBlob(kMelodyTable, row, bytes); !s) {
        out.refused = true;
        out.message = s.message();
        return out;
    }
    out.stored = true;
    if (row < kMruSlots) ws.melodyFileNames()[size_t(row)] = QFileInfo(path).absoluteFilePath();
    if (Result s = saveMelodyFileNames(ws.names().mru, ws.melodyFileNames()); !s) out.message = s.message();
    return out;
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
    if (row < 0 || row >= ws.rowCount(ListKind::Melodies)) return rowOutside(row, ws.rowCount(ListKind::Melodies));
    Result s;
    const QByteArray bytes = melodySlot(ws, row, &s);
    if (!s) return s;
    return writeWholeFile(path, bytes);
}

Result setMelodyName(Workspace& ws, int melodyRow, std::optional<int> stringRow) {
    if (melodyRow < 0 || melodyRow >= ws.rowCount(ListKind::Melodies)) return rowOutside(melodyRow, ws.rowCount(ListKind::Melodies));
    if (stringRow && (*stringRow < 0 || *stringRow >= ws.rowCount(ListKind::Strings)))
        return rowOutside(*stringRow, ws.rowCount(ListKind::Strings));
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
    if (row < 0 || row >= ws.rowCount(ListKind::Operators)) return rowOutside(row, ws.rowCount(ListKind::Operators));
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
            return Result::failure(QStringLiteral("Operator name #%1 holds at most %2 characters").arg(k + 1).arg(names[k].limit));
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
    if (row < 0 || row >= ws.rowCount(ListKind::Strings)) return rowOutside(row, ws.rowCount(ListKind::Strings));
    const StrEntry& e = ws.image().strings[size_t(row)];
    // The phone ends a text at its first zero: what followed it would be lost.
    if (text.contains('\0')) return Result::failure(QStringLiteral("A phone string can not hold the character U+0000 (NUL)"));
    if (text.size() > int(e.length))
        return Result::failure(QStringLiteral("The text has %1 characters; this string holds %2").arg(text.size()).arg(e.length));
    if (page < 0 || page > 5) return Result::failure(QStringLiteral("Font page %1 does not exist").arg(page));
    if (const QString refusal = fontRefusal(coding, text, page); !refusal.isEmpty()) return Result::failure(refusal);
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
        if (r < 0 || r >= count) return rowOutside(r, count);
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
