#pragma once
// What the whole-list imports and exports share: the numbered files of a folder, one export
// loop, and applying the checked changes as one edit.
#include "editors/bulk_operations.h"

#include <QString>
#include <functional>
#include <map>
#include <vector>

namespace qv {

// A row as the names of a folder's files begin with it: "00003".
QString fiveDigits(int row);

// The files of a folder whose names begin with a number, by the row that number names. Numbers
// past the list and rows named by more than one file are problems.
struct NumberedFiles {
    std::map<int, QString> byRow;
    BulkProblems problems;
};
Expected<NumberedFiles> numberedFiles(const QString& folder, int rows, const QString& listName);

// The changes as one edit, or nothing when any item was refused and the mode asks for all.
BulkResult applyBatch(Workspace& ws, BulkResult result, BulkMode mode, const std::map<int, QString>& changes,
                      const std::function<Result(int row)>& apply);

// Every row of a list written to its own file in `folder`; stops at the first failure.
BulkResult exportEachRow(Workspace& ws, ListKind kind, const QString& folder, const std::function<QString(int)>& fileName,
                         const std::function<Result(int, const QString&)>& write);

}  // namespace qv
