#include "files/phone_write_task.h"

#include "base/language_table.h"
#include "files/transfer_steps.h"
#include "image/byte_order.h"
#include "link/debug_log.h"
#include "link/loader_commands.h"

#include <QFile>
#include <QFileInfo>

namespace qv {
namespace {

struct ListPlan {
    ListKind kind;
    const char* label;
};
constexpr ListPlan kLists[] = {
    {ListKind::Pictures, "051"},
    {ListKind::Melodies, "053"},
    {ListKind::Operators, "054"},
    {ListKind::Strings, "074"},
};

// Size and address of row i as the phone holds it.
BlobRef phoneItem(const MediaImage& image, ListKind kind, int i) {
    const int id = tableOfList(kind);
    BlobRef b = image.blob(id, i);
    if (kind == ListKind::Operators) b.length = image.operFormat.recordSize;
    return b;
}

// Every ticked item must fit the transfer buffer; checked before anything is sent.
bool itemsFit(PhoneLink& link, Workspace& ws) {
    for (const ListPlan& list : kLists) {
        const auto& ticks = ws.ticks(list.kind);
        for (size_t i = 0; i < ticks.size(); ++i) {
            if (!ticks[i]) continue;
            const BlobRef b = phoneItem(ws.image(), list.kind, int(i));
            if (b.length > uint32_t(link.buffer.size())) {
                link.failureDetail = QStringLiteral("%1 row %2 has %3 bytes, more than the %4 a transfer can carry")
                                         .arg(langText(list.label).trimmed()).arg(i).arg(b.length).arg(link.buffer.size());
                return false;
            }
        }
    }
    return true;
}

// The backup patch: created with its first record, so that a task that never got the phone's
// old bytes leaves no file that claims to hold them; flushed after every record and closed on
// every path, because it is the user's only way back after a write that stopped half way.
class BackupFile {
public:
    explicit BackupFile(const QString& path) : file_(path) {}
    ~BackupFile() { file_.close(); }
    bool wanted() const { return !file_.fileName().isEmpty(); }
    // Whether the file can be made at all; checked before the phone is called.
    bool canCreate() const {
        const QFileInfo info(file_.fileName());
        const QFileInfo folder(info.absolutePath());
        return folder.isDir() && folder.isWritable() && (!info.exists() || info.isWritable());
    }
    bool append(uint32_t address, const uint8_t* data, uint32_t length) {
        if (!file_.isOpen() && !file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        uint8_t head[8];
        putU32(head, address);
        putU32(head + 4, length);
        return file_.write(reinterpret_cast<const char*>(head), 8) == 8 &&
               file_.write(reinterpret_cast<const char*>(data), length) == qint64(length) && file_.flush();
    }
    QString name() const { return QFileInfo(file_.fileName()).fileName(); }

private:
    QFile file_;
};

}  // namespace

QString backupFileName(const QDateTime& at) {
    const QDate d = at.date();
    const QTime t = at.time();
    return QStringLiteral("backup_%1-%2-%3_%4-%5-%6.flp")
        .arg(d.year()).arg(d.month()).arg(d.day()).arg(t.hour()).arg(t.minute()).arg(t.second());
}

ResultCode writeTickedItems(PhoneLink& link, Workspace& ws, const QString& backupPath) {
    ProgressSink& bar = link.bar();
    bar.setText(langText("048"));
    bar.setPosition(0);
    if (link.task.aborted()) return rcAborted;
    if (!itemsFit(link, ws)) return failTask(link, rcNotEnoughMemory);

    BackupFile backup(backupPath);
    if (backup.wanted() && !backup.canCreate()) {
        link.failureDetail = QStringLiteral("Can not create the backup file %1").arg(backupPath);
        return failTask(link, rcFileWriteError);
    }
    if (const ResultCode rc = prepareLoader(link, TaskKind::Write); rc != rcOk) return failTask(link, rc);

    MediaImage& image = ws.image();
    for (const ListPlan& list : kLists) {
        auto& ticks = ws.ticks(list.kind);
        const int total = int(std::count(ticks.begin(), ticks.end(), true));
        if (total == 0) continue;
        int k = 0;
        for (size_t i = 0; i < ticks.size(); ++i) {
            writeLog(QStringLiteral("Reading - %1").arg(i));
            if (!ticks[i]) continue;
            bar.setText(itemProgressText(list.label, ++k, total));
            const BlobRef item = phoneItem(image, list.kind, int(i));
            if (backup.wanted()) {
                // Only bytes that really came from the phone go into the patch: a record
                // filled up with stale buffer bytes would restore wrong data.
                const ResultCode rc = readBlock(link, item.length, item.address - 8);
                if (rc != rcOk || link.task.aborted()) return failTask(link, rc == rcOk ? rcAborted : rc);
                if (!backup.append(item.address, link.buffer.data(), item.length)) {
                    link.failureDetail = QStringLiteral("Can not write the backup file %1").arg(backup.name());
                    return failTask(link, rcFileWriteError);
                }
            }
            if (list.kind == ListKind::Operators) {
                const QByteArray packed = packOperatorRecord(image.operRecords[i], image.operFormat);
                std::copy(packed.begin(), packed.end(), link.buffer.begin());
            } else {
                QByteArray data;
                if (Status s = ws.readBlob(tableOfList(list.kind), int(i), data); !s) {
                    link.failureDetail = s.message();
                    return failTask(link, rcFileReadError);
                }
                std::copy(data.begin(), data.end(), link.buffer.begin());
            }
            const ResultCode rc = writeBlock(link, item.length, item.address - 8);
            if (rc != rcOk || link.task.aborted()) return failTask(link, rc == rcOk ? rcAborted : rc);
            ticks[i] = false;  // written: only now is the row's change in the phone
        }
    }
    writeLog("Write shapka[idTablePict]");
    if (const ResultCode rc = endOfWrite(link); rc != rcOk || link.task.aborted())
        return failTask(link, rc == rcOk ? rcAborted : rc);
    if (const ResultCode rc = finish(link); rc != rcOk || link.task.aborted())
        return failTask(link, rc == rcOk ? rcAborted : rc);
    if (const ResultCode rc = link.port.close(); rc != rcOk) return failTask(link, rc);
    bar.setButtonCaption(langText("055"));
    bar.setText(langText("056"));
    return rcOk;
}

}  // namespace qv
