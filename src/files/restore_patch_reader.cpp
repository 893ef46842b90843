#include "files/restore_patch_reader.h"

#include "image/byte_order.h"

namespace qv {

RestorePatchReader::RestorePatchReader(QIODevice& patch, uint32_t maxLength)
    : patch_(patch), maxLength_(maxLength), size_(patch.size()) {}

RestorePatchReader::Step RestorePatchReader::stop(Step step, QString problem) {
    stopped_ = step;
    problem_ = std::move(problem);
    return step;
}

RestorePatchReader::Step RestorePatchReader::next(PatchRecord& record, uint8_t* data) {
    if (stopped_ != Step::Record) return stopped_;
    if (at_ >= size_) return stop(Step::End, {});
    record = PatchRecord{at_, 0, 0};
    const qint64 left = size_ - at_;
    if (left < 8)
        return stop(Step::CutShort, QStringLiteral("The patch file ends inside a record: the head of the record at "
                                                   "offset %1 has %2 of its 8 bytes").arg(at_).arg(left));
    uint8_t head[8];
    if (!patch_.seek(at_) || patch_.read(reinterpret_cast<char*>(head), 8) != 8)
        return stop(Step::ReadError, QStringLiteral("The patch file cannot be read at offset %1: %2")
                                         .arg(at_).arg(patch_.errorString()));
    record.address = getU32(head);
    record.length = getU32(head + 4);
    if (record.length > maxLength_)
        return stop(Step::TooLarge, QStringLiteral("The patch record at offset %1 has %2 bytes, more than the %3 a "
                                                   "transfer can carry").arg(at_).arg(record.length).arg(maxLength_));
    if (left - 8 < qint64(record.length))
        return stop(Step::CutShort, QStringLiteral("The patch file ends inside a record: the record at offset %1 has "
                                                   "%2 of its %3 bytes").arg(at_).arg(left - 8).arg(record.length));
    if (data && patch_.read(reinterpret_cast<char*>(data), record.length) != qint64(record.length))
        return stop(Step::ReadError, QStringLiteral("The patch file cannot be read at offset %1: %2")
                                         .arg(at_ + 8).arg(patch_.errorString()));
    at_ += 8 + qint64(record.length);
    return Step::Record;
}

Result checkRestorePatch(QIODevice& patch, uint32_t maxLength) {
    RestorePatchReader reader(patch, maxLength);
    PatchRecord record;
    RestorePatchReader::Step step;
    while ((step = reader.next(record, nullptr)) == RestorePatchReader::Step::Record) {}
    patch.seek(0);
    if (step == RestorePatchReader::Step::End || step == RestorePatchReader::Step::CutShort) return {};
    return Result::failure(reader.problem());
}

}  // namespace qv
