#pragma once
// What a name in a folder stands for, told without opening it: opening a named pipe blocks
// and opening a device may act on it (a serial port raises its control lines).
#include "base/expected.h"

#include <QByteArray>
#include <QString>

namespace qv {

enum class FileKind { Missing, Regular, Folder, SymbolicLink, Pipe, Device, Other };

// The kind of `path` itself (a symbolic link is reported as one), or with `followLink` the
// kind of what the link finally leads to (Missing for a dangling link).
FileKind fileKindAt(const QString& path, bool followLink);

// "a folder", "a named pipe", ... for messages that say why a name was not used.
QString describeKind(FileKind kind);

// True when the file's mode lets nobody write it (0444): the user made it read-only, and
// that holds for the administrator too, who may write anything.
bool readOnlyByMode(const QString& path);

// Why `path` is not a regular file nor a symbolic link to one, in words ("it is a named pipe",
// "it is a symbolic link to a missing file"); empty when it is one.
QString notRegularReason(const QString& path);

// Up to `maxBytes` of a regular file (or a link to one). Whatever else the name stands for is
// refused before it is opened, and the open itself never waits, should the name change in
// between. The failure's message is the reason alone, without the path; its code is NotFound
// (nothing there, or a link to nothing), Refused (not a regular file) or DiskError.
Expected<QByteArray> readRegularFile(const QString& path, qint64 maxBytes);

}  // namespace qv
