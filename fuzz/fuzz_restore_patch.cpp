// libFuzzer target: the restore patch reader. The whole input is the patch file. Whatever it
// holds, the reader must walk it without writing past a record buffer of exactly the largest
// record size, hand out each record's own bytes, account for every byte up to where it
// stopped, stop for the right reason, and agree with the check the restore runs before the
// phone is called.
#include "files/restore_patch_reader.h"
#include "image/byte_order.h"
#include "link/phone_link.h"

#include <QBuffer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using namespace qv;

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "fuzz_restore_patch: %s\n", what);
    std::abort();
}

struct Walk {
    ResultCode last = ResultCode::Ok;  // why the reader stopped; Ok at the end of the file
    std::vector<PatchRecord> records;
    qint64 consumed = 0;  // bytes of whole records
};

Walk walk(const QByteArray& bytes, uint32_t maxLength, bool readData) {
    QByteArray copy = bytes;
    QBuffer patch(&copy);
    patch.open(QIODevice::ReadOnly);
    // Exactly as large as the largest record: AddressSanitizer sees any byte written past it.
    std::vector<uint8_t> buffer(maxLength);
    RestorePatchReader reader(patch, maxLength);
    Walk w;
    Expected<std::optional<PatchRecord>> got = reader.next(readData ? buffer.data() : nullptr);
    for (; got && *got; got = reader.next(readData ? buffer.data() : nullptr)) {
        const PatchRecord& r = **got;
        if (r.offset != w.consumed) broken("a record does not start where the one before ended");
        if (r.length > maxLength) broken("a record over the size limit was handed out");
        if (readData && std::memcmp(buffer.data(), bytes.constData() + r.offset + 8, r.length) != 0)
            broken("a record's bytes are not the file's bytes after its head");
        w.consumed += 8 + qint64(r.length);
        if (w.consumed > bytes.size()) broken("records reach past the end of the file");
        w.records.push_back(r);
    }
    w.last = got ? ResultCode::Ok : got.error().code();
    const Expected<std::optional<PatchRecord>> again = reader.next(nullptr);
    if (again.error().code() != w.last || (again && *again)) broken("the reader went on after it stopped");
    if (!got && got.error().detail().isEmpty()) broken("a stop without a reason");

    const qint64 left = bytes.size() - w.consumed;
    uint32_t nextLength = 0;
    if (left >= 8) nextLength = getU32(reinterpret_cast<const uint8_t*>(bytes.constData()) + w.consumed + 4);
    switch (w.last) {
    case ResultCode::Ok:
        if (left != 0) broken("the end came before the file's end");
        break;
    case ResultCode::Damaged:
        if (left <= 0 || (left >= 8 && (nextLength > maxLength || qint64(nextLength) + 8 <= left)))
            broken("a patch that holds the next record whole was called cut short");
        break;
    case ResultCode::TooLarge:
        if (left < 8 || nextLength <= maxLength) broken("a record within the limit was called too large");
        break;
    case ResultCode::DiskError:
        broken("a buffer in memory could not be read");
    default:
        broken("the reader stopped for a reason it does not give");
    }
    return w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // The real limit, and a small one so that over-size records are common.
    for (const uint32_t maxLength : {uint32_t(kTransferBufferBytes), uint32_t(64)}) {
        const Walk reading = walk(bytes, maxLength, true);
        const Walk skipping = walk(bytes, maxLength, false);
        if (reading.last != skipping.last || reading.records.size() != skipping.records.size() ||
            reading.consumed != skipping.consumed)
            broken("reading and skipping the records disagree");
        if (maxLength == uint32_t(kTransferBufferBytes)) {
            QByteArray copy = bytes;
            QBuffer patch(&copy);
            patch.open(QIODevice::ReadOnly);
            const Result checked = checkRestorePatch(patch, maxLength);
            const bool accepted = checked.ok();
            // Accepted: at least one whole record, then the end or a cut-short tail.
            const bool writable = !reading.records.empty() && (reading.last == ResultCode::Ok || reading.last == ResultCode::Damaged);
            if (accepted != writable) broken("the check and the reader disagree");
            if (accepted == !checked.detail().isEmpty()) broken("a refusal without a reason, or a reason without a refusal");
            if (patch.pos() != 0) broken("the check did not leave the patch at its start");
        }
    }
    return 0;
}
