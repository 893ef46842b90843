#pragma once
// Steps that the read, write and restore tasks share: getting the loader running at the
// working speed, and ending a conversation.
#include "link/phone_link.h"

#include <QString>

namespace qv {

enum class TaskKind { Read, Write, Restore };

// Loader upload, speed switch and port speed, with their log lines and bar texts. The read
// task sets the port speed (and shows the version) even at 28,800 baud; the write and
// restore tasks only when they switched.
ResultCode prepareLoader(PhoneLink& link, TaskKind kind);
// The bar text of a failed task; the result is the code, or 1 when the user aborted.
ResultCode failTask(PhoneLink& link, ResultCode rc);
// "Reading pictures - 3 of 120"
QString itemProgressText(const char* labelKey, int k, int total);

}  // namespace qv
