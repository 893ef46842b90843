#pragma once
// The records of a restore patch (and of the backup a phone write makes): a u32 table address
// and a u32 length n, both little-endian, then n bytes; up to the end of the file, with no
// header and no trailer.
#include "base/result.h"

#include <QFile>
#include <QIODevice>
#include <QString>
#include <cstdint>

namespace qv {

// A record's head: the address and the length, before its bytes.
inline constexpr qint64 kPatchRecordHeadBytes = 8;

struct PatchRecord {
    qint64 offset = 0;     // where the record starts in the file
    uint32_t address = 0;  // as the table holds it; the loader is given address - kTableAddressOffset (link)
    uint32_t length = 0;
};

class RestorePatchReader {
public:
    enum class Step {
        Record,    // the next whole record
        End,       // the file ended after a whole record (or was empty)
        CutShort,  // the file ends inside a record's head or data
        TooLarge,  // the record carries more than `maxLength` bytes
        ReadError, // the device refused to seek or read
    };

    // Reads from the start of `patch`; a record may carry at most `maxLength` bytes.
    RestorePatchReader(QIODevice& patch, uint32_t maxLength);

    // With `data` (room for maxLength bytes) the record's bytes are read into it; without, they
    // are skipped. After anything but Record the reader stays where it stopped.
    Step next(PatchRecord& record, uint8_t* data);
    // What is wrong and where, after CutShort, TooLarge or ReadError.
    const QString& problem() const { return problem_; }

private:
    Step stop(Step step, QString problem);

    QIODevice& patch_;
    uint32_t maxLength_;
    qint64 size_;
    qint64 at_ = 0;
    Step stopped_ = Step::Record;
    QString problem_;
};

// Checks the records before anything is sent: a patch without a whole record (empty, or cut
// short inside its first) and a record longer than `maxLength` (what one transfer can carry)
// are refused. A patch cut short after whole records is allowed here; its whole records are
// written. Leaves the patch at its start.
Result checkRestorePatch(QIODevice& patch, uint32_t maxLength);

// Opens the patch file at `path` for reading and checks it as above; only a regular file is
// opened. Every refusal names the file; `patch` is left closed then.
Result openRestorePatch(QFile& patch, const QString& path, uint32_t maxLength);

}  // namespace qv
