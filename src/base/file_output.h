#pragma once
// Writing a whole file so that a full disk, a read-only folder or a crash never leaves a
// partial file that looks like a finished one: the bytes go to a temporary file beside the
// target, are flushed to the disk and only then take the target's name.
#include "base/result.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace qv {

// Writes `bytes` as the whole content of `path`. On failure nothing is left behind (an older
// file of that name stays as it was) and the message names the file and the system's reason.
Result writeWholeFile(const QString& path, const QByteArray& bytes);

// The reason a file operation failed, in the system's words: Qt's text where it has one,
// otherwise the operating system's message for errno (Qt says "Unknown error" where a
// flush or close failed without its own message).
QString fileErrorReason(const QFileDevice& file);

}  // namespace qv
