#pragma once
// The one rule by which an image becomes a picture, for the window's import, the command line
// (import-picture, encode-picture) and the folder import alike: the image must have the
// picture's width and height; its pixels are reduced to the colours of the picture's format
// (pixelValue) and encoded in the picture's layout and the phone's order (encodePicture); the
// result must fit the picture's place, and is padded to it. A row takes an import only where
// its format offers one (pictureImportOffered).
#include "base/expected.h"
#include "editors/bmp_file.h"
#include "editors/picture_codec.h"
#include "files/workspace.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace qv {

struct PictureImport {
    // What the phone will show: the picture's width × height (a 2-bit row picture's pad
    // columns cut off). Null when the image was refused before encoding (unreadable, another
    // size, a format that does not exist).
    QImage shown;
    // Exactly the place's size; empty when refused.
    QByteArray bytes;
    // Why nothing may be stored (Refused: another size; UnsupportedFormat: a format that
    // does not exist or takes no import, a file that is no image; TooLarge: more than the
    // place or any phone holds; or why the file could not be read); ok when the bytes may be.
    Result status;
    bool refused() const { return !status.ok(); }
};

// Import is not offered for 4-bit pictures, 16-row column words and row-order mono pictures.
bool pictureImportOffered(const PictEntry& entry);

// `size` is the picture's place in bytes (the size of its table entry).
PictureImport importImage(const PictureShape& shape, qint64 size, const Bitmap& image);
// The image file read by readImageFile (a Windows bitmap of any depth, or any format Qt reads).
PictureImport importImageFile(const PictureShape& shape, qint64 size, const QString& path);

// The import of an image file into a picture row of the open service file. `unchanged` when
// the row already shows what the image becomes: then nothing is to be stored, even where new
// bytes would differ (a run-length picture split into other runs) or would not fit, and even
// where the row takes no import (a folder exported and imported back). Fails only when the
// row's own bytes cannot be read.
struct RowImport : PictureImport {
    bool unchanged = false;
};
Expected<RowImport> importIntoRow(Workspace& ws, int row, const QString& path);

// "the image is 100x100, the picture 128x160"
QString wrongSizeMessage(int imageWidth, int imageHeight, int pictureWidth, int pictureHeight);
// "this picture needs 30,211 bytes in its format; its place holds 11,605"
QString tooLargeMessage(qint64 needed, qint64 place);

}  // namespace qv
