#pragma once
// What the lists show of one item, read from the open data file.
#include "base/expected.h"
#include "editors/char_map_coding.h"
#include "files/workspace.h"

#include <QByteArray>
#include <QImage>

namespace qv {

// The picture of a row as a raster of its entry's width × height.
Expected<QImage> pictureOfRow(Workspace& workspace, int row);
// Reads every operator record of the list into the image's record array.
Result loadOperatorRecords(Workspace& workspace);
// The string of a row as cp1251 text (one character per glyph code).
Expected<QByteArray> stringOfRow(Workspace& workspace, const CharMapCoding& coding, int row);

}  // namespace qv
