#pragma once
// Writing a whole file so that a full disk, a read-only folder or a crash never leaves a
// partial file that looks like a finished one: the bytes go to a temporary file beside the
// target, are flushed to the disk and only then take the target's name.
//
// Output files (exports, backups, thumbnails, encoded pictures) are written only as regular
// files at the name the user gave: whatever else stands there (a device, a named pipe, a
// folder, a symbolic link, even a dangling one) is refused, never followed and never replaced;
// so is a file its owner made read-only, and a name reserved by an open service file.
#include "base/result.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringList>
#include <memory>

namespace qv {

enum class WriteRole {
    Output,   // a file the user asked for, by name or by folder
    OwnFile,  // the program's own settings and remembered names: a link to them is followed,
              // since users keep such files elsewhere on purpose
};

// Writes `bytes` as the whole content of `path`. On failure nothing is left behind (an older
// file of that name stays as it was) and the message names the file and the reason: the code
// is Refused for a target the rules above turn down, DiskError where the system failed.
Result writeWholeFile(const QString& path, const QByteArray& bytes, WriteRole role = WriteRole::Output);

// Whether an output file may be written at `path` (the rules above), for writers that stream
// into a file of their own instead of handing over its whole content.
Result checkOutputTarget(const QString& path, WriteRole role = WriteRole::Output);

// The reason a file operation failed, in the system's words: Qt's text where it has one,
// otherwise the operating system's message for errno (Qt says "Unknown error" where a
// flush or close failed without its own message).
QString fileErrorReason(const QFileDevice& file);

// The open service file whose ReservedNames hold `path`, or an empty string.
QString reservingServiceFile(const QString& path);

// Names no output file may take while this object lives: the files of an open service file,
// its transient files and its lock. Names are compared by the folder's identity on the disk,
// so "./x/../demo.mem" or a second path to the same folder is the same name.
class ReservedNames {
public:
    ReservedNames(const QStringList& paths, const QString& owner);
    ~ReservedNames();
    ReservedNames(const ReservedNames&) = delete;
    ReservedNames& operator=(const ReservedNames&) = delete;

private:
    int id_;
};

// Many files written in a row by this thread (a whole list exported to a folder): each is
// still checked on write and close, but the disk is flushed once by finish() rather than
// once per file, which costs a journal commit each. A crash before finish() may leave some
// of the files short; the export had not been reported done then.
class DeferredSync {
public:
    DeferredSync();
    ~DeferredSync();  // flushes what finish() has not
    DeferredSync(const DeferredSync&) = delete;
    DeferredSync& operator=(const DeferredSync&) = delete;
    // Flushes the disks of every file written since the start; a failure names the folder.
    Result finish();

    // For the writer: true when the current thread's files are flushed later; the folder of
    // each written file is noted.
    static bool deferring(const QString& writtenPath);

private:
    DeferredSync* previous_;
    QStringList folders_;
};

}  // namespace qv
