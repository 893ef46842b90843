#pragma once
// Writing the ticked items of the four lists into the phone, each at its own address, with
// an optional backup of the phone's old bytes as a restore patch.
#include "files/workspace.h"

#include <QDateTime>
#include <QString>

namespace qv {

struct PhoneLink;

// "backup_2008-3-7_14-5-9.flp": local date and time without leading zeros.
QString backupFileName(const QDateTime& at);

// The body of the write task. Operators are packed from the image's record array, which the
// operator list fills. `backupPath` empty: no backup; otherwise the file is made with the
// first record of old bytes, so it exists only when it holds some. A row is unticked once written.
// With `verify`, every written item is read back after the end of write; a row the phone does
// not hold as written is ticked again and the task ends with 26 (ResultCode::WriteNotVerified), the
// failure detail naming the first such row.
Result writeTickedItems(PhoneLink& link, Workspace& workspace, const QString& backupPath, bool verify = true);

}  // namespace qv
