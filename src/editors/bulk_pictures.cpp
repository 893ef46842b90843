#include "editors/bulk_operations.h"

#include "editors/bulk_batch.h"
#include "editors/edit_operations.h"
#include "editors/picture_import.h"

#include <QDir>
#include <map>

namespace qv {

QString pictureFileName(const Workspace& ws, int row, PictureFileType type) {
    const PictEntry& e = ws.image().pictures[size_t(row)];
    return QStringLiteral("%1_%2x%3.%4").arg(fiveDigits(row)).arg(e.width).arg(e.height)
        .arg(type == PictureFileType::Png ? QStringLiteral("png") : QStringLiteral("bmp"));
}

BulkResult exportPictures(Workspace& ws, const QString& folder, PictureFileType type) {
    if (!QDir().mkpath(folder)) {
        BulkResult result;
        result.status = Result::failure(QStringLiteral("Can not make the folder %1").arg(folder));
        return result;
    }
    return exportEachRow(ws, ListKind::Pictures, folder, [&](int row) { return pictureFileName(ws, row, type); },
                         [&](int row, const QString& path) { return exportPictureKeepingDepth(ws, row, path); });
}

BulkResult importPictures(Workspace& ws, const QString& folder, BulkMode mode) {
    BulkResult result;
    auto files = numberedFiles(folder, ws.rowCount(ListKind::Pictures), QStringLiteral("picture"));
    if (!files) {
        result.status = files.error();
        return result;
    }
    result.problems = std::move(files->problems);
    std::map<int, QString> changes;
    std::map<int, QByteArray> encoded;
    for (const auto& [row, path] : files->byRow) {
        const auto in = importIntoRow(ws, row, path);
        if (!in) {
            result.status = in.error();
            return result;
        }
        if (in->unchanged) {  // what an export of the row gives is no change
            ++result.unchanged;
            continue;
        }
        if (in->refused()) {
            result.problems.push_back({row, path, in->status.message()});
            continue;
        }
        changes[row] = path;
        encoded[row] = in->bytes;
    }
    return applyBatch(ws, std::move(result), mode, changes, [&](int row) {
        if (Result s = ws.writeBlob(kPictureTable, row, encoded[row]); !s) return s;
        ws.ticks(ListKind::Pictures)[size_t(row)] = true;
        return Result();
    });
}

}  // namespace qv
