#include "files/phone_read_task.h"

#include "base/language_table.h"
#include "files/transfer_steps.h"
#include "link/debug_log.h"
#include "link/loader_commands.h"

namespace qv {
namespace {

const char* readLabel(int id) {
    switch (id) {
    case idTablePict: return "061";
    case idTableMel: return "062";
    case idTableOper: return "063";
    default: return "076";
    }
}

// Blobs read from the phone, at each item's address less 8.
class PhoneReadSource final : public BlobSource {
public:
    explicit PhoneReadSource(PhoneLink& link) : link_(link) {}
    ResultCode failure = rcOk;

    Status fetch(const MediaImage& image, int id, int index, QByteArray& out) override {
        writeLog(QStringLiteral("Reading - %1").arg(index));
        link_.bar().setText(itemProgressText(readLabel(id), index + 1, int(image.count(id))));
        const BlobRef b = image.blob(id, index);
        const uint32_t size = id == idTableOper ? image.operFormat.recordSize : b.length;
        if (size > uint32_t(link_.buffer.size())) {
            link_.failureDetail = QStringLiteral("Item %1 of table %2 has %3 bytes, more than the %4 a transfer can carry")
                                      .arg(index).arg(id).arg(size).arg(link_.buffer.size());
            return stop(rcNotEnoughMemory);
        }
        const ResultCode rc = readBlock(link_, size, b.address - 8);
        if (rc != rcOk || link_.task.aborted()) return stop(rc == rcOk ? rcAborted : rc);
        const auto* data = reinterpret_cast<const char*>(link_.buffer.data());
        if (id == idTableOper) {
            const OperRecord record = unpackOperatorRecord(QByteArrayView(data, qsizetype(size)), image.operFormat);
            out.resize(int(OperRecord::kSize));
            record.write(reinterpret_cast<uint8_t*>(out.data()));
        } else {
            out = QByteArray(data, int(size));
        }
        return {};
    }

private:
    Status stop(ResultCode rc) {
        failure = rc;
        return Status::failure(resultMessage(rc));
    }
    PhoneLink& link_;
};

}  // namespace

ResultCode readPhoneIntoServiceFile(PhoneLink& link, Workspace& workspace) {
    link.bar().setText(langText("048"));
    if (link.task.aborted()) return rcAborted;
    if (Status s = checkRewritable(workspace.image(), workspace.loadedTables(), workspace.chosenName()); !s) {
        link.failureDetail = s.message();
        return failTask(link, rcFileWriteError);
    }
    if (const ResultCode rc = prepareLoader(link, TaskKind::Read); rc != rcOk) return failTask(link, rc);

    PhoneReadSource source(link);
    ResultCode finishing = rcOk;
    RewriteOptions options;
    options.renumberStrings = false;
    options.beforeSwap = [&]() -> Status {
        writeLog("Write shapka[idTablePict]");
        finishing = finish(link);
        const ResultCode closed = link.port.close();
        if (finishing == rcOk) finishing = closed;
        return finishing == rcOk ? Status() : Status::failure(resultMessage(finishing));
    };
    const Status s = workspace.rewriteFrom(source, options);
    if (!s) {
        link.port.close();
        if (source.failure != rcOk) return failTask(link, source.failure);
        if (finishing != rcOk) return failTask(link, finishing);
        link.failureDetail = s.message();
        return failTask(link, rcFileWriteError);
    }
    link.bar().setButtonCaption(langText("055"));
    link.bar().setText(langText("056"));
    return rcOk;
}

}  // namespace qv
