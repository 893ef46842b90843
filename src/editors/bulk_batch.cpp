#include "editors/bulk_batch.h"

#include "base/file_kind.h"
#include "base/file_output.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace qv {

QStringList problemLines(const BulkProblems& problems) {
    QStringList lines;
    for (const BulkProblem& p : problems) {
        QString line = p.row >= 0 ? QStringLiteral("row %1: ").arg(p.row) : QString();
        // A reason that names its file already ("\"P\": not an image") does not get it twice.
        const QString quotedFile = QLatin1Char('"') + p.file + QStringLiteral("\": ");
        if (p.file.isEmpty() || p.reason.contains(p.file))
            line += p.reason.startsWith(quotedFile) ? p.file + QStringLiteral(": ") + p.reason.mid(quotedFile.size()) : p.reason;
        else
            line += p.file + QStringLiteral(": ") + p.reason;
        lines << line;
    }
    if (problems.unlisted() > 0)
        lines << QStringLiteral("\u2026 and %1 more refused").arg(QLocale(QLocale::English).toString(problems.unlisted()));
    return lines;
}

QString fiveDigits(int row) { return QString::number(row).rightJustified(5, QLatin1Char('0')); }

Expected<NumberedFiles> numberedFiles(const QString& folder, int rows, const QString& listName) {
    const QFileInfo info(folder);
    if (!info.isDir())
        return Result::failure(QStringLiteral("Can not read %1: %2").arg(folder, info.exists() ? QStringLiteral("it is not a folder")
                                                                                                : QStringLiteral("no such folder")));
    if (!info.isReadable()) return Result::failure(QStringLiteral("Can not read %1: permission denied").arg(folder));
    static const QRegularExpression leadingNumber(QStringLiteral("^([0-9]+)"));
    NumberedFiles found;
    BulkProblems& problems = found.problems;
    std::map<int, QStringList> byRow;
    // Every entry, not only files: a numbered name that is not a file is listed, not passed over.
    const auto entries = QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& f : entries) {
        const auto m = leadingNumber.match(f.fileName());
        if (!m.hasMatch()) continue;
        bool ok = false;
        const qulonglong n = m.captured(1).toULongLong(&ok);
        if (!ok || n >= qulonglong(rows)) {
            problems.push_back({-1, f.filePath(),
                                QStringLiteral("there is no %1 row %2 (the list has %3 rows)").arg(listName, m.captured(1)).arg(rows)});
            continue;
        }
        // A pipe would block the import (holding the service file's lock) and a device may act
        // when opened: only regular files, or links to them, are read.
        if (const QString why = notRegularReason(f.filePath()); !why.isEmpty()) {
            problems.push_back({int(n), f.filePath(), why + QStringLiteral("; it is not read")});
            continue;
        }
        byRow[int(n)] << f.filePath();
    }
    for (const auto& [row, paths] : byRow) {
        if (paths.size() == 1) {
            found.byRow[row] = paths.first();
            continue;
        }
        for (const QString& path : paths)
            problems.push_back({row, path, QStringLiteral("%1 files name row %2; keep one of them").arg(paths.size()).arg(row)});
    }
    return found;
}

BulkResult applyBatch(Workspace& ws, BulkResult result, BulkMode mode, const std::map<int, QString>& changes,
                      const std::function<Result(int row)>& apply) {
    if (changes.empty() || (!result.problems.empty() && mode == BulkMode::AllOrNothing)) return result;
    Result s = ws.edit([&] {
        for (const auto& [row, file] : changes)
            if (Result one = apply(row); !one) return one;
        return Result();
    });
    if (!s) {
        result.status = s;
        return result;
    }
    for (const auto& [row, file] : changes) {
        result.rows.push_back(row);
        result.files.push_back(file);
    }
    return result;
}

BulkResult exportEachRow(Workspace& ws, ListKind kind, const QString& folder, const std::function<QString(int)>& fileName,
                         const std::function<Result(int, const QString&)>& write) {
    BulkResult result;
    // One flush of the disk for the whole folder: one per file costs far more than the writing.
    DeferredSync sync;
    for (int row = 0; row < ws.rowCount(kind); ++row) {
        const QString path = QDir(folder).filePath(fileName(row));
        if (result.status = write(row, path); !result.status) return result;
        result.rows.push_back(row);
        result.files.push_back(path);
    }
    result.status = sync.finish();
    return result;
}

}  // namespace qv
