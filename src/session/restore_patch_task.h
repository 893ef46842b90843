#pragma once
// Writing a restore patch back into the phone: records of (table address, length, bytes).
#include "files/restore_patch_reader.h"

#include <QIODevice>
#include <QString>

namespace qv {

struct PhoneLink;

// The restore patch check with the most one transfer carries.
Result checkRestorePatch(QIODevice& patch);
// Opening a patch file for the restore task, as both front ends do before they call the phone.
Expected<std::unique_ptr<QFile>> openRestorePatch(const QString& path);

// The body of the restore task, reading the open patch. With `verify`, every record written is
// read back after the end of write; bytes the phone does not hold as written end the task with
// 26 (ResultCode::WriteNotVerified), the detail naming the first such record.
Result applyRestorePatch(PhoneLink& link, QIODevice& patch, bool verify = true);

}  // namespace qv
