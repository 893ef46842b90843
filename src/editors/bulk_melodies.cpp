#include "editors/bulk_operations.h"

#include "base/cp1251.h"
#include "base/file_kind.h"
#include "base/file_output.h"
#include "base/language_table.h"
#include "editors/bulk_batch.h"
#include "editors/char_map_coding.h"
#include "editors/edit_operations.h"
#include "editors/item_views.h"
#include "files/mru_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <map>

namespace qv {

QString melodyFileName(Workspace& ws, int row, const std::vector<QString>& stringTexts) {
    return fiveDigits(row) + QLatin1Char('_') + melodyExportName(ws, row, stringTexts);
}

BulkResult exportMelodies(Workspace& ws, const QString& folder) {
    BulkResult result;
    if (!QDir().mkpath(folder)) {
        result.status = Result::failure(QStringLiteral("Can not make the folder %1").arg(folder));
        return result;
    }
    // The names come from the string list as the window shows it.
    std::vector<QString> texts;
    CharMapCoding coding;
    coding.rebuild(ws.image().charMap);
    for (int row = 0; row < ws.rowCount(ListKind::Strings); ++row) {
        const auto text = stringOfRow(ws, coding, row);
        if (!text) {
            result.status = text.error();
            return result;
        }
        texts.push_back(fromCp1251(*text));
    }
    return exportEachRow(ws, ListKind::Melodies, folder, [&](int row) { return melodyFileName(ws, row, texts); },
                         [&](int row, const QString& path) { return exportMelody(ws, row, path); });
}

BulkResult importMelodies(Workspace& ws, const QString& folder, BulkMode mode) {
    BulkResult result;
    auto files = numberedFiles(folder, ws.rowCount(ListKind::Melodies), QStringLiteral("melody"));
    if (!files) {
        result.status = files.error();
        return result;
    }
    result.problems = std::move(files->problems);
    std::map<int, QString> changes;
    std::map<int, QByteArray> slotBytes;
    for (const auto& [row, path] : files->byRow) {
        const uint32_t slot = ws.image().melodies[size_t(row)].size;
        auto read = readRegularFile(path, qint64(slot) + 1);
        if (!read) {
            result.problems.push_back({row, path, QStringLiteral("can not open the file: %1").arg(read.error().message())});
            continue;
        }
        QByteArray bytes = std::move(*read);
        if (bytes.isEmpty()) {
            result.problems.push_back({row, path, QStringLiteral("the file is empty")});
            continue;
        }
        if (uint32_t(bytes.size()) > slot) {
            result.problems.push_back({row, path, langText(Text::FileSizeAtMost) + QLatin1Char(' ') + QString::number(slot) + langText(Text::BytesUnit)});
            continue;
        }
        bytes.append(QByteArray(int(slot) - bytes.size(), '\0'));
        const Expected<QByteArray> stored = ws.readBlob(kMelodyTable, row);
        if (result.status = stored.error(); !result.status) return result;
        if (bytes == *stored) {
            ++result.unchanged;
            continue;
        }
        changes[row] = path;
        slotBytes[row] = bytes;
    }
    // Checked first: once the melodies are stored, failing to remember their files would leave
    // the import half done.
    if (!changes.empty() && (result.problems.empty() || mode == BulkMode::SkipInvalid)) {
        if (Result s = checkOutputTarget(ws.names().mru, WriteRole::OwnFile); !s) {
            result.status = Result::failure(QStringLiteral("%1; nothing was imported").arg(s.message()));
            return result;
        }
    }
    result = applyBatch(ws, std::move(result), mode, changes, [&](int row) {
        if (Result s = ws.writeBlob(kMelodyTable, row, slotBytes[row]); !s) return s;
        ws.ticks(ListKind::Melodies)[size_t(row)] = true;
        return Result();
    });
    if (!result.status || result.rows.empty()) return result;
    // As the single import does, each changed melody remembers the file it came from.
    for (size_t k = 0; k < result.rows.size(); ++k)
        if (result.rows[k] < kMruSlots) ws.melodyFileNames()[size_t(result.rows[k])] = QFileInfo(result.files[k]).absoluteFilePath();
    result.afterwards = saveMelodyFileNames(ws.names().mru, ws.melodyFileNames());
    return result;
}

}  // namespace qv
