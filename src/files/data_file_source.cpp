#include "files/data_file_source.h"

#include "files/table_file_reader.h"

#include <QFileInfo>

namespace qv {

Expected<QByteArray> DataFileSource::fetch(const MediaImage& image, int id, int index) {
    const BlobRef b = image.blob(id, index);
    QByteArray out;
    if (data_.seek(b.memOffset)) out = data_.read(b.length);
    if (out.size() != qsizetype(b.length))
        return Result(ResultCode::DiskError, QStringLiteral("Can not read item %1 of the %2 from %3")
                                                 .arg(index).arg(tableName(id), QFileInfo(data_.fileName()).fileName()));
    // The new data file always holds whole operator records.
    if (id == kOperatorTable) out.resize(int(OperRecord::kSize), '\0');
    return out;
}

}  // namespace qv
