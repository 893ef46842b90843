#pragma once
// The records of a restore patch (and of the backup a phone write makes): a u32 table address
// and a u32 length n, both little-endian, then n bytes; up to the end of the file, with no
// header and no trailer.
#include "base/expected.h"

#include <QFile>
#include <QIODevice>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

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
    // Reads from the start of `patch`; a record may carry at most `maxLength` bytes.
    RestorePatchReader(QIODevice& patch, uint32_t maxLength);

    // The next whole record, or none when the file ended after a whole record (or was empty).
    // With `data` (room for maxLength bytes) the record's bytes are read into it; without, they
    // are skipped. Fails, saying what is wrong and where, with Damaged when the file ends inside
    // a record's head or data, TooLarge when a record carries more than `maxLength` bytes and
    // DiskError when the device refused to seek or read. After anything but a record the
    // reader stays where it stopped and gives the same again.
    Expected<std::optional<PatchRecord>> next(uint8_t* data);

private:
    Result stop(ResultCode code, QString problem);

    QIODevice& patch_;
    uint32_t maxLength_;
    qint64 size_;
    qint64 at_ = 0;
    bool ended_ = false;
    Result stopped_;
};

// The code a phone task reports for a patch the reader stopped in: NotEnoughMemory for a
// record longer than one transfer, FileReadError for anything else.
ResultCode transferCodeOf(const Result& readerStop);

// Checks the records before anything is sent: a patch without a whole record (empty, or cut
// short inside its first) and a record longer than `maxLength` (what one transfer can carry)
// are refused, with the codes of transferCodeOf(). A patch cut short after whole records is
// allowed here; its whole records are written. Leaves the patch at its start.
Result checkRestorePatch(QIODevice& patch, uint32_t maxLength);

// Opens the patch file at `path` for reading and checks it as above; only a regular file is
// opened. Every refusal names the file.
Expected<std::unique_ptr<QFile>> openRestorePatch(const QString& path, uint32_t maxLength);

}  // namespace qv
