#include "files/data_file_source.h"

#include "files/table_file_reader.h"

#include <QFileInfo>

namespace qv {

Result DataFileSource::fetch(const MediaImage& image, int id, int index, QByteArray& out) {
    const BlobRef b = image.blob(id, index);
    out.clear();
    if (data_.seek(b.memOffset)) out = data_.read(b.length);
    if (out.size() != qsizetype(b.length))
        return Result::failure(QStringLiteral("Can not read item %1 of the %2 from %3")
                                   .arg(index).arg(tableName(id), QFileInfo(data_.fileName()).fileName()));
    // The new data file always holds whole operator records.
    if (id == kOperatorTable) out.resize(int(OperRecord::kSize), '\0');
    return {};
}

}  // namespace qv
