#pragma once
// A small hand-made service file for reader and rewriter tests: three pictures, three
// melodies, two operators, four strings, written section by section without the rewriter.
#include "image/media_image.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

namespace qvtest {

struct SmallServiceFile {
    SmallServiceFile();
    std::unique_ptr<qv::MediaImage> image;
    std::vector<QByteArray> pictures, melodies, operators, strings;  // blobs by entry
    // Tables written in file order; a table not listed here is absent.
    std::vector<int> tables = {1, 6, 2, 5, 9, 3, 4, 7, 8};

    // Writes NAME.sav and, when `withData`, NAME.mem with the blobs in reverse order and
    // gaps between them, as a data file made elsewhere may hold them.
    void write(const QString& savPath, bool withData = true);
    QByteArray tableFileBytes() const;
};

}  // namespace qvtest
