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
    BulkResult result;
    if (!QDir().mkpath(folder)) {
        result.status = Result::failure(QStringLiteral("Can not make the folder %1").arg(folder));
        return result;
    }
    exportEachRow(ws, ListKind::Pictures, folder, result, [&](int row) { return pictureFileName(ws, row, type); },
                  [&](int row, const QString& path) { return exportPictureKeepingDepth(ws, row, path); });
    return result;
}

BulkResult importPictures(Workspace& ws, const QString& folder, BulkMode mode) {
    BulkResult result;
    std::map<int, QString> files;
    if (result.status = numberedFiles(folder, ws.rowCount(ListKind::Pictures), QStringLiteral("picture"), files,
                                      result.problems);
        !result.status)
        return result;
    std::map<int, QString> changes;
    std::map<int, QByteArray> encoded;
    for (const auto& entry : files) {
        const int row = entry.first;
        const QString& path = entry.second;
        auto refuse = [&](const QString& reason) { result.problems.push_back({row, path, reason}); };
        const auto in = importIntoRow(ws, row, path);
        if (!in) {
            result.status = in.error();
            return result;
        }
        if (in->unchanged) {  // what an export of the row gives is no change
            ++result.unchanged;
            continue;
        }
        const bool offered = pictureImportOffered(ws.image().pictures[size_t(row)]);
        const QString why =
            in->shown.isNull() || offered ? in->refusal : QStringLiteral("import is not offered for this picture's format");
        if (!why.isEmpty()) {
            refuse(why);
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
