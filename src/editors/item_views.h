#pragma once
// What the lists show of one item, read from the open data file.
#include "base/status.h"
#include "editors/char_map_coding.h"
#include "files/workspace.h"

#include <QByteArray>
#include <QImage>

namespace qv {

// The picture of a row as a raster of its entry's width × height.
Status pictureOfRow(Workspace& workspace, int row, QImage& out);
// Reads every operator record of the list into the image's record array.
Status loadOperatorRecords(Workspace& workspace);
// The string of a row as cp1251 text (one character per glyph code).
Status stringOfRow(Workspace& workspace, const CharMapCoding& coding, int row, QByteArray& out);

}  // namespace qv
