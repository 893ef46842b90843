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

ResultCode applyRestorePatch(PhoneLink& link, QIODevice& patch) {
    link.bar().setText(langText("048"));
    if (link.task.aborted()) return rcAborted;
    QString why;
    if (!checkRestorePatch(patch, &why)) {
        link.failureDetail = why;
        return failTask(link, rcNotEnoughMemory);
    }
    if (const ResultCode rc = prepareLoader(link, TaskKind::Restore); rc != rcOk) return failTask(link, rc);
    link.bar().setText(langText("075"));

    RestorePatchReader reader(patch, uint32_t(link.buffer.size()));
    PatchRecord record;
    RestorePatchReader::Step step;
    while ((step = reader.next(record, link.buffer.data())) == RestorePatchReader::Step::Record) {
        const ResultCode rc = writeBlock(link, record.length, record.address - 8);
        if (rc != rcOk || link.task.aborted()) return failTask(link, rc == rcOk ? rcAborted : rc);
    }
    // A patch that stops being readable: what was whole is in the phone; the conversation
    // still ends properly before the fault is reported.
    if (const ResultCode rc = endOfWrite(link); rc != rcOk || link.task.aborted())
        return failTask(link, rc == rcOk ? rcAborted : rc);
    if (const ResultCode rc = finish(link); rc != rcOk || link.task.aborted())
        return failTask(link, rc == rcOk ? rcAborted : rc);
    if (const ResultCode rc = link.port.close(); rc != rcOk) return failTask(link, rc);
    if (step != RestorePatchReader::Step::End) {
        link.failureDetail = reader.problem() + QStringLiteral("; the records before it were written");
        return failTask(link, step == RestorePatchReader::Step::TooLarge ? rcNotEnoughMemory : rcFileReadError);
    }
    link.bar().setButtonCaption(langText("055"));
    link.bar().setText(langText("056"));
    return rcOk;
}

}  // namespace qv
