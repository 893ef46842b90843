#pragma once
// Blobs taken from the open data file, as the save copies them.
#include "files/service_file_rewriter.h"

#include <QFile>

namespace qv {

class DataFileSource : public BlobSource {
public:
    explicit DataFileSource(QFile& dataFile) : data_(dataFile) {}
    Expected<QByteArray> fetch(const MediaImage& image, int id, int index) override;
    uint32_t placeOf(const BlobRef& blob) const override { return blob.memOffset; }

private:
    QFile& data_;
};

}  // namespace qv
