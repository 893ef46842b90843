#include "editors/changed_rows.h"

#include <QFileInfo>
#include <map>

namespace qv {

Expected<ChangedRows> rowsChangedSince(Workspace& ws, const QString& olderTableFile) {
    ChangedRows result;
    Workspace older;
    if (Result s = older.open(olderTableFile); !s) return s;
    // Any bytes open as a table file; a phone type no phone has says these are not one.
    if (const uint16_t type = older.image().directory.phoneType; type == 0 || type > 0xFF) {
        return Result::failure(QStringLiteral("%1 is not a service file: its directory names no phone (type %2)")
                                   .arg(QFileInfo(olderTableFile).fileName())
                                   .arg(type));
    }
    if (!older.hasDataFile()) {
        return Result::failure(QStringLiteral("%1 has no data file to compare with").arg(QFileInfo(olderTableFile).fileName()));
    }
    if (older.image().directory.phoneType != ws.image().directory.phoneType) {
        return Result::failure(QStringLiteral("%1 belongs to another phone type (%2, not %3)")
                                   .arg(QFileInfo(olderTableFile).fileName())
                                   .arg(older.image().directory.phoneType)
                                   .arg(ws.image().directory.phoneType));
    }
    for (ListKind kind : kListKinds) {
        const int table = tableOfList(kind);
        std::map<std::pair<uint32_t, uint32_t>, int> olderRows;  // (address, length) -> row
        for (int row = 0; row < older.rowCount(kind); ++row) {
            const BlobRef b = older.image().blob(table, row);
            olderRows.emplace(std::pair{b.address, b.length}, row);
        }
        for (int row = 0; row < ws.rowCount(kind); ++row) {
            const BlobRef b = ws.image().blob(table, row);
            const auto match = olderRows.find({b.address, b.length});
            bool differs = match == olderRows.end();
            if (!differs) {
                const Expected<QByteArray> now = ws.readBlob(table, row);
                if (!now) return now.error();
                const Expected<QByteArray> before = older.readBlob(table, match->second);
                if (!before) return before.error();
                differs = *now != *before;
            }
            if (differs) result.rows[size_t(kind)].push_back(row);
        }
    }
    return result;
}

}  // namespace qv
