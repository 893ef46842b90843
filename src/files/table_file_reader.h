#pragma once
// Reading a table file (.sav) into the media image, and checking a data file (.mem) against it.
#include "base/expected.h"
#include "image/media_image.h"

#include <QIODevice>
#include <QString>
#include <bitset>

namespace qv {

// Which tables a read actually loaded from the file (index = table id).
using LoadedTables = std::bitset<16>;

// Reads the directory and every present table into `into` (which keeps what it held for
// absent tables) and gives the tables it loaded. Tables 3 and 4 are looked at only when table 9
// is present. Refuses, with a message naming `fileName`, anything the image cannot hold:
// Damaged, or TooLarge for what is more than any phone holds; `into` may then be half loaded,
// so callers read into a copy.
Expected<LoadedTables> readTableFile(QIODevice& file, const QString& fileName, MediaImage& into);

// Every blob of the loaded tables must lie inside a data file of `dataSize` bytes.
Result checkBlobsInside(const MediaImage& image, const LoadedTables& loaded, qint64 dataSize,
                        const QString& dataFileName);

// A rewrite writes every table whose directory byte is non-zero; it must only write what
// the read took from the file, never stale memory.
Result checkRewritable(const MediaImage& image, const LoadedTables& loaded, const QString& fileName);

QString tableName(int id);

}  // namespace qv
