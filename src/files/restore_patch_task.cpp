#include "files/restore_patch_task.h"

#include "base/language_table.h"
#include "files/restore_patch_reader.h"
#include "files/transfer_steps.h"
#include "link/loader_commands.h"

namespace qv {

bool checkRestorePatch(QIODevice& patch, QString* error) {
    RestorePatchReader reader(patch, uint32_t(kTransferBufferBytes));
    PatchRecord record;
    RestorePatchReader::Step step;
    while ((step = reader.next(record, nullptr)) == RestorePatchReader::Step::Record) {}
    patch.seek(0);
    if (step == RestorePatchReader::Step::End || step == RestorePatchReader::Step::CutShort) return true;
    if (error) *error = reader.problem();
    return false;
}

ResultCode applyRestorePatch(PhoneLink& link, QIODevice& patch, bool verify) {
    link.bar().setText(langText(Text::WaitingForPhone));
    if (link.task.aborted()) return ResultCode::Aborted;
    QString why;
    if (!checkRestorePatch(patch, &why)) {
        link.failureDetail = why;
        return failTask(link, ResultCode::NotEnoughMemory);
    }
    if (const ResultCode rc = prepareLoader(link, TaskKind::Restore); rc != ResultCode::Ok) return failTask(link, rc);
    link.bar().setText(langText(Text::WritingPatch));

    RestorePatchReader reader(patch, uint32_t(link.buffer.size()));
    PatchRecord record;
    RestorePatchReader::Step step;
    std::vector<PatchRecord> written;
    while ((step = reader.next(record, link.buffer.data())) == RestorePatchReader::Step::Record) {
        const ResultCode rc = writeBlock(link, record.length, record.address - 8);
        if (rc != ResultCode::Ok || link.task.aborted()) return failTask(link, rc == ResultCode::Ok ? ResultCode::Aborted : rc);
        written.push_back(record);
    }
    // A patch that stops being readable: what was whole is in the phone; the conversation
    // still ends properly before the fault is reported.
    if (const ResultCode rc = endOfWrite(link); rc != ResultCode::Ok || link.task.aborted())
        return failTask(link, rc == ResultCode::Ok ? ResultCode::Aborted : rc);
    std::vector<size_t> differing;
    if (verify) {
        std::vector<PhoneRange> ranges;
        ranges.reserve(written.size());
        for (const PatchRecord& r : written) ranges.push_back({r.address - 8, r.length});
        const ResultCode rc = verifyWritten(link, ranges, [&](size_t i, QByteArray& out) -> Result {
            const PatchRecord& r = written[i];
            if (patch.seek(r.offset + 8)) {
                out = patch.read(qint64(r.length));
                if (out.size() == qsizetype(r.length)) return {};
            }
            return Result::failure(QStringLiteral("The patch file cannot be read at offset %1: %2")
                                       .arg(r.offset + 8).arg(patch.errorString()));
        }, differing);
        if (rc != ResultCode::Ok || link.task.aborted()) return failTask(link, rc == ResultCode::Ok ? ResultCode::Aborted : rc);
    }
    if (const ResultCode rc = finish(link); rc != ResultCode::Ok || link.task.aborted())
        return failTask(link, rc == ResultCode::Ok ? ResultCode::Aborted : rc);
    if (const ResultCode rc = link.port.close(); rc != ResultCode::Ok) return failTask(link, rc);
    if (!differing.empty()) {
        const PatchRecord& first = written[differing.front()];
        link.failureDetail = QStringLiteral("%1: patch record %2 (address 0x%3, offset %4 of the file)")
                                 .arg(QLatin1String(kWriteNotVerifiedMessage))
                                 .arg(differing.front() + 1)
                                 .arg(first.address, 8, 16, QChar('0'))
                                 .arg(first.offset);
        if (differing.size() > 1) link.failureDetail += QStringLiteral(" and %1 more").arg(differing.size() - 1);
        return failTask(link, ResultCode::WriteNotVerified);
    }
    if (step != RestorePatchReader::Step::End) {
        link.failureDetail = reader.problem() + QStringLiteral("; the records before it were written");
        return failTask(link, step == RestorePatchReader::Step::TooLarge ? ResultCode::NotEnoughMemory : ResultCode::FileReadError);
    }
    link.bar().setButtonCaption(langText(Text::CloseButton));
    link.bar().setText(langText(Text::TaskCompleted));
    return ResultCode::Ok;
}

}  // namespace qv
