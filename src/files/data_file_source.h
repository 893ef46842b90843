#pragma once
// Blobs taken from the open data file, as the save copies them.
#include "files/service_file_rewriter.h"

#include <QFile>

namespace qv {

class DataFileSource : public BlobSource {
public:
    explicit DataFileSource(QFile& dataFile) : data_(dataFile) {}
    Status fetch(const MediaImage& image, int id, int index, QByteArray& out) override;

private:
    QFile& data_;
};

}  // namespace qv
