#include "editors/bulk_operations.h"

#include "editors/bmp_file.h"
#include "editors/bulk_batch.h"
#include "editors/edit_operations.h"
#include "editors/item_views.h"
#include "editors/picture_codec.h"

#include <QDir>
#include <map>

namespace qv {

namespace {

bool samePixels(const Bitmap& bitmap, const QImage& image) {
    if (image.width() != bitmap.width || image.height() != bitmap.height) return false;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        const QRgb* own = bitmap.pixels.data() + size_t(y) * size_t(bitmap.width);
        for (int x = 0; x < rgb.width(); ++x)
            if ((line[x] | 0xFF000000u) != (own[x] | 0xFF000000u)) return false;
    }
    return true;
}

}  // namespace

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
        const PictEntry e = ws.image().pictures[size_t(row)];
        const auto bitmap = readImageFile(path);
        if (!bitmap) {
            refuse(bitmap.error().message());
            continue;
        }
        if (bitmap->width != e.width || bitmap->height != e.height) {
            refuse(QStringLiteral("the image is %1x%2, the picture %3x%4").arg(bitmap->width).arg(bitmap->height).arg(e.width).arg(e.height));
            continue;
        }
        // What an export of the row gives (in its own depth or in 24 bits) is no change.
        QImage current, kept;
        if (result.status = pictureOfRow(ws, row, current); !result.status) return result;
        if (result.status = pictureKeepingDepth(ws, row, kept); !result.status) return result;
        if (samePixels(*bitmap, kept) || samePixels(*bitmap, current)) {
            ++result.unchanged;
            continue;
        }
        if (!pictureImportOffered(e)) {
            refuse(QStringLiteral("import is not offered for this picture's format"));
            continue;
        }
        const EncodeResult r = encodePicture({e.width, e.height, e.format, e.variant, ws.image().directory.phoneType},
                                             *bitmap, int(e.size));
        if (r.kind == EncodeResult::Refused) {
            refuse(r.message);
            continue;
        }
        if (r.kind == EncodeResult::NothingWritten) {
            refuse(QStringLiteral("a 16-colour image only fits a 2-bit picture"));
            continue;
        }
        QByteArray stored;
        if (result.status = ws.readBlob(kPictureTable, row, stored); !result.status) return result;
        if (r.bytes == stored) {
            ++result.unchanged;
            continue;
        }
        changes[row] = path;
        encoded[row] = r.bytes;
    }
    return applyBatch(ws, std::move(result), mode, changes, [&](int row) {
        if (Result s = ws.writeBlob(kPictureTable, row, encoded[row]); !s) return s;
        ws.ticks(ListKind::Pictures)[size_t(row)] = true;
        return Result();
    });
}

}  // namespace qv
