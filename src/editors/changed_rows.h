#pragma once
// Which rows of the open service file hold other bytes than an older service file of the same
// phone: a quick way to tick a whole translation (or a theme) for the phone at once.
#include "base/expected.h"
#include "files/workspace.h"

#include <QString>
#include <array>
#include <vector>

namespace qv {

struct ChangedRows {
    // By list (ListKind order): rows whose item differs, or that the older file does not hold
    // at the same phone address and size.
    std::array<std::vector<int>, 4> rows;
};

// Items are matched by their phone address and size, not by row, so rows that moved after a
// deletion still match their own item. Operators compare their 184-byte records.
Expected<ChangedRows> rowsChangedSince(Workspace& ws, const QString& olderTableFile);

}  // namespace qv
