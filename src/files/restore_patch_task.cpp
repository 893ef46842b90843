#include "files/restore_patch_task.h"

#include "base/language_table.h"
#include "files/transfer_steps.h"
#include "image/byte_order.h"
#include "link/loader_commands.h"

namespace qv {

bool checkRestorePatch(QIODevice& patch, QString* error) {
    const qint64 size = patch.size();
    qint64 at = 0;
    while (at + 8 <= size) {
        uint8_t head[8];
        if (!patch.seek(at) || patch.read(reinterpret_cast<char*>(head), 8) != 8) break;
        const uint32_t length = getU32(head + 4);
        if (length > uint32_t(kTransferBufferBytes)) {
            if (error)
                *error = QStringLiteral("The patch record at offset %1 has %2 bytes, more than the %3 a transfer can carry")
                             .arg(at).arg(length).arg(kTransferBufferBytes);
            return false;
        }
        at += 8 + qint64(length);
    }
    patch.seek(0);
    return true;
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

    const qint64 size = patch.size();
    bool cutShort = false;
    patch.seek(0);
    while (patch.pos() < size) {
        uint8_t head[8];
        if (patch.read(reinterpret_cast<char*>(head), 8) != 8) {
            cutShort = true;
            break;
        }
        const uint32_t address = getU32(head), length = getU32(head + 4);
        if (patch.read(reinterpret_cast<char*>(link.buffer.data()), length) != qint64(length)) {
            cutShort = true;
            break;
        }
        const ResultCode rc = writeBlock(link, length, address - 8);
        if (rc != rcOk || link.task.aborted()) return failTask(link, rc == rcOk ? rcAborted : rc);
    }
    // A patch cut short: what was whole is in the phone; the conversation still ends properly.
    if (const ResultCode rc = endOfWrite(link); rc != rcOk || link.task.aborted())
        return failTask(link, rc == rcOk ? rcAborted : rc);
    if (const ResultCode rc = finish(link); rc != rcOk || link.task.aborted())
        return failTask(link, rc == rcOk ? rcAborted : rc);
    if (const ResultCode rc = link.port.close(); rc != rcOk) return failTask(link, rc);
    if (cutShort) {
        link.failureDetail = QStringLiteral("The patch file ends inside a record; the records before it were written");
        return failTask(link, rcFileReadError);
    }
    link.bar().setButtonCaption(langText("055"));
    link.bar().setText(langText("056"));
    return rcOk;
}

}  // namespace qv
