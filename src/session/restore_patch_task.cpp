#include "session/restore_patch_task.h"

#include "files/restore_patch_reader.h"
#include "session/transfer_steps.h"
#include "link/loader_commands.h"

namespace qv {

namespace {

// Reads every record written back and compares it with the patch: the indexes of the records
// the phone does not hold as written.
Expected<std::vector<size_t>> readBack(PhoneLink& link, QIODevice& patch, const std::vector<PatchRecord>& written) {
    std::vector<PhoneRange> ranges;
    ranges.reserve(written.size());
    for (const PatchRecord& r : written) ranges.push_back({r.address - kTableAddressOffset, r.length});
    Expected<std::vector<size_t>> differing = verifyWritten(link, ranges, [&](size_t i) -> Expected<QByteArray> {
        const PatchRecord& record = written[i];
        if (patch.seek(record.offset + kPatchRecordHeadBytes)) {
            QByteArray out = patch.read(qint64(record.length));
            if (out.size() == qsizetype(record.length)) return out;
        }
        return Result::failure(QStringLiteral("The patch file cannot be read at offset %1: %2")
                                   .arg(record.offset + kPatchRecordHeadBytes).arg(patch.errorString()));
    });
    if (!differing) return differing;
    if (Result r = unlessCancelled(link, ResultCode::Ok); !r) return r;
    return differing;
}

Result notHeld(const std::vector<PatchRecord>& written, const std::vector<size_t>& differing) {
    const PatchRecord& first = written[differing.front()];
    QString detail = QStringLiteral("%1: patch record %2 (address 0x%3, offset %4 of the file)")
                         .arg(QLatin1String(kWriteNotVerifiedMessage))
                         .arg(differing.front() + 1)
                         .arg(first.address, 8, 16, QChar('0'))
                         .arg(first.offset);
    if (differing.size() > 1) detail += QStringLiteral(" and %1 more").arg(differing.size() - 1);
    return Result(ResultCode::WriteNotVerified, detail);
}

}  // namespace

Result checkRestorePatch(QIODevice& patch) { return checkRestorePatch(patch, uint32_t(kTransferBufferBytes)); }

Expected<std::unique_ptr<QFile>> openRestorePatch(const QString& path) {
    return openRestorePatch(path, uint32_t(kTransferBufferBytes));
}

Result applyRestorePatch(PhoneLink& link, QIODevice& patch, bool verify) {
    link.report(ProgressEvent::at(ProgressStage::WaitingForPhone));
    if (link.task.cancelled()) return ResultCode::Aborted;
    if (Result fit = checkRestorePatch(patch); !fit) return failTask(link, fit);
    if (Result ready = prepareLoader(link, TaskKind::Restore); !ready) return failTask(link, ready);
    link.report(ProgressEvent::at(ProgressStage::WritingPatch));

    RestorePatchReader reader(patch, uint32_t(kTransferBufferBytes));
    std::vector<PatchRecord> written;
    std::vector<uint8_t> block(kTransferBufferBytes);
    Expected<std::optional<PatchRecord>> next = reader.next(block.data());
    for (; next && *next; next = reader.next(block.data())) {
        const PatchRecord& record = **next;
        const Result rc = writeBlock(link, record.address - kTableAddressOffset, std::span<const uint8_t>(block.data(), record.length));
        if (Result r = unlessCancelled(link, rc); !r) return failTask(link, r);
        written.push_back(record);
    }
    // A patch that stops being readable: what was whole is in the phone; the conversation
    // still ends properly before the fault is reported.
    if (Result rc = unlessCancelled(link, endOfWrite(link)); !rc) return failTask(link, rc);
    std::vector<size_t> differing;
    if (verify) {
        Expected<std::vector<size_t>> readBackDiffers = readBack(link, patch, written);
        if (!readBackDiffers) return failTask(link, readBackDiffers.error());
        differing = std::move(*readBackDiffers);
    }
    if (Result rc = unlessCancelled(link, finish(link)); !rc) return failTask(link, rc);
    if (Result rc = link.port.close(); !rc) return failTask(link, rc);
    if (!differing.empty()) return failTask(link, notHeld(written, differing));
    if (!next)
        return failTask(link, Result(transferCodeOf(next.error()),
                                     next.error().detail() + QStringLiteral("; the records before it were written")));
    link.report(ProgressEvent::at(ProgressStage::Completed));
    return ResultCode::Ok;
}

}  // namespace qv
