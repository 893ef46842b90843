#include "files/restore_patch_reader.h"

#include "image/byte_order.h"

#include <QFileInfo>

namespace qv {

RestorePatchReader::RestorePatchReader(QIODevice& patch, uint32_t maxLength)
    : patch_(patch), maxLength_(maxLength), size_(patch.size()) {}

Result RestorePatchReader::stop(ResultCode code, QString problem) {
    stopped_ = Result(code, std::move(problem));
    return stopped_;
}

Expected<std::optional<PatchRecord>> RestorePatchReader::next(uint8_t* data) {
    if (!stopped_) return stopped_;
    if (ended_ || at_ >= size_) {
        ended_ = true;
        return std::optional<PatchRecord>();
    }
    PatchRecord record{at_, 0, 0};
    const qint64 left = size_ - at_;
    if (left < kPatchRecordHeadBytes)
        return stop(ResultCode::Damaged, QStringLiteral("The patch file ends inside a record: the head of the record at "
                                                        "offset %1 has %2 of its 8 bytes").arg(at_).arg(left));
    uint8_t head[kPatchRecordHeadBytes];
    if (!patch_.seek(at_) || patch_.read(reinterpret_cast<char*>(head), kPatchRecordHeadBytes) != kPatchRecordHeadBytes)
        return stop(ResultCode::DiskError, QStringLiteral("The patch file cannot be read at offset %1: %2")
                                               .arg(at_).arg(patch_.errorString()));
    record.address = getU32(head);
    record.length = getU32(head + 4);
    if (record.length > maxLength_)
        return stop(ResultCode::TooLarge, QStringLiteral("The patch record at offset %1 has %2 bytes, more than the %3 a "
                                                         "transfer can carry").arg(at_).arg(record.length).arg(maxLength_));
    if (left - kPatchRecordHeadBytes < qint64(record.length))
        return stop(ResultCode::Damaged, QStringLiteral("The patch file ends inside a record: the record at offset %1 has "
                                                        "%2 of its %3 bytes").arg(at_).arg(left - kPatchRecordHeadBytes).arg(record.length));
    if (data && patch_.read(reinterpret_cast<char*>(data), record.length) != qint64(record.length))
        return stop(ResultCode::DiskError, QStringLiteral("The patch file cannot be read at offset %1: %2")
                                               .arg(at_ + kPatchRecordHeadBytes).arg(patch_.errorString()));
    at_ += kPatchRecordHeadBytes + qint64(record.length);
    return std::optional<PatchRecord>(record);
}

ResultCode transferCodeOf(const Result& readerStop) {
    return readerStop == ResultCode::TooLarge ? ResultCode::NotEnoughMemory : ResultCode::FileReadError;
}

Result checkRestorePatch(QIODevice& patch, uint32_t maxLength) {
    RestorePatchReader reader(patch, maxLength);
    int records = 0;
    Expected<std::optional<PatchRecord>> step = reader.next(nullptr);
    for (; step && *step; step = reader.next(nullptr)) ++records;
    patch.seek(0);
    if (!step && step.error() != ResultCode::Damaged) return Result(transferCodeOf(step.error()), step.error().detail());
    // Nothing to write is no restore: the phone is not called for it.
    if (records == 0 && step)
        return Result(ResultCode::FileReadError, QStringLiteral("The patch file is empty"));
    if (records == 0)
        return Result(ResultCode::FileReadError, QStringLiteral("The patch file holds no whole record: ") + step.error().detail());
    return {};
}

Expected<std::unique_ptr<QFile>> openRestorePatch(const QString& path, uint32_t maxLength) {
    const QFileInfo info(path);
    // A pipe or a device has no length to check the records against: it would read as empty,
    // or never end.
    if (!info.isFile())
        return Result(ResultCode::CantOpenFile, QStringLiteral("Can not open %1: %2").arg(
            path, info.exists() ? QStringLiteral("it is not a regular file") : QStringLiteral("no such file")));
    auto patch = std::make_unique<QFile>(path);
    if (!patch->open(QIODevice::ReadOnly))
        return Result(ResultCode::CantOpenFile, QStringLiteral("Can not open %1: %2").arg(path, patch->errorString()));
    if (Result checked = checkRestorePatch(*patch, maxLength); !checked)
        return Result(checked.code(), QStringLiteral("%1: %2").arg(path, checked.detail()));
    return patch;
}

}  // namespace qv
