#pragma once
// Writing a restore patch back into the phone: records of (table address, length, bytes).
#include "link/phone_link.h"

#include <QIODevice>
#include <QString>

namespace qv {

// Checks the records before anything is sent: a record longer than a transfer can carry is
// refused. A patch cut short inside a record is allowed here; its whole records are written.
bool checkRestorePatch(QIODevice& patch, QString* error);

// The body of task 3, reading the open patch. With `verify`, every record written is read back
// after the end of write; bytes the phone does not hold as written end the task with 26
// (ResultCode::WriteNotVerified), the failure detail naming the first such record.
ResultCode applyRestorePatch(PhoneLink& link, QIODevice& patch, bool verify = true);

}  // namespace qv
