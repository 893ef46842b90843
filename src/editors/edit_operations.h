#pragma once
// The editing operations both front ends use: picture and melody import and export, melody
// naming, operator and string edits, deleting rows. Each is one edit of the workspace: the
// changed item keeps its length, the service file is saved as a new pair, and only then is
// the row ticked; an edit that cannot be saved changes nothing. A refused edit says why by its
// Result: NotFound for a row outside its list, Refused, UnsupportedFormat or TooLarge for
// what it was given, the detail in the user's words.
#include "base/expected.h"
#include "editors/char_map_coding.h"
#include "files/workspace.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>
#include <vector>

namespace qv {

// Pictures. Import takes Windows bitmaps and every image format Qt reads (readImageFile), by the
// rule of importImage, and only into a row that offers it (pictureImportOffered, checked
// first). An image the picture already shows keeps the picture's bytes, and the row is ticked
// as for one stored; a refused one changes nothing and ticks nothing.
Result importPicture(Workspace& ws, int row, const QString& bitmapPath);
// The picture in the depth its format suggests (1-bit mono; 16 colours for 2-bit greys, with
// the standard palette, and for 4-bit greys, with its sixteen greys; 24-bit), so that importing
// the file again shows the same picture and keeps its bytes. The file format follows the name:
// ".bmp" (and any name Qt has no writer for) a Windows bitmap, ".png" and the other formats Qt
// writes through Qt.
Result exportPictureKeepingDepth(Workspace& ws, int row, const QString& path);
// 24-bit: a Windows bitmap, or for another name Qt writes (".png", ...) that format.
Result exportPicture24(Workspace& ws, int row, const QString& path);
// The picture of a row as exportPictureKeepingDepth writes it: Format_Mono (black, white),
// Format_Indexed8 with 16 colours, or Format_RGB32.
Expected<QImage> pictureKeepingDepth(Workspace& ws, int row);
// Whether a file of that name is written through Qt rather than as a Windows bitmap.
bool writtenThroughQt(const QString& path);
// "bitmap000A.bmp"
QString pictureExportName(int row);

// Melodies. The import ticks the row once the file is read, even when it is then refused as
// larger than the slot; it stores the bytes padded with zeros to the slot and remembers the file
// in the .mru file. `remembered` is how that last step went: the melody stands either way.
struct MelodyImport {
    Result remembered;
};
Expected<MelodyImport> importMelody(Workspace& ws, int row, const QString& path);
Expected<QByteArray> melodySlot(Workspace& ws, int row);
// The export name without folder: the melody's name (or its naming string's text), with the
// "melody_000A" fallback for names holding anything below "0", above 0x7F, or characters
// that file systems reject.
QString melodyExportName(const Workspace& ws, int row, const std::vector<QString>& stringTexts);
Result exportMelody(Workspace& ws, int row, const QString& path);
// The row of the string list that names a melody, or -1.
int melodyNameRow(const Workspace& ws, int row);
Result setMelodyName(Workspace& ws, int melodyRow, std::optional<int> stringRow);

// Operators: code as typed (hex, invalid → 0), names as cp1251 bytes. A name equal to the
// stored one (up to its first zero) leaves the field as it is, whatever its length; a new name
// longer than the operator format allows is refused. The editor shows at most
// kOperatorNameShown characters of a stored name.
constexpr int kOperatorNameShown[3] = {11, 26, 51};
Result applyOperator(Workspace& ws, int row, const QString& codeText, const QByteArray& name1,
                     const QByteArray& name2, const QByteArray& name3);
uint16_t parseOperatorCode(const QString& text);

// Strings: text as cp1251 bytes, padded with spaces to the string's length; refused when longer
// or when the font has no glyph for one of its characters in `page`.
Result applyString(Workspace& ws, const CharMapCoding& coding, int row, const QByteArray& text, int page);
// The first row whose text begins with `prefix` (case-sensitive), or -1.
int findStringRow(const std::vector<QString>& texts, const QString& prefix);

// Deletes the rows (any order, duplicates ignored) and saves. Deleting strings keeps every
// melody naming the same string text, or none when its string goes.
Result deleteRows(Workspace& ws, ListKind kind, std::vector<int> rows);

}  // namespace qv
