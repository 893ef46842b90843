#include "files/phone_write_task.h"

#include "base/language_table.h"
#include "files/transfer_steps.h"
#include "image/byte_order.h"
#include "link/debug_log.h"
#include "link/block_plan.h"
#include "link/loader_commands.h"

#include <QFile>
#include <QFileInfo>

namespace qv {
namespace {

struct ListPlan {
    ListKind kind;
    TextKey label;
};
constexpr ListPlan kLists[] = {
    {ListKind::Pictures, Text::WritingPictures},
    {ListKind::Melodies, Text::WritingMelodies},
    {ListKind::Operators, Text::WritingOperatorsList},
    {ListKind::Strings, Text::WritingStrings},
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

// The bytes a row sends to the phone, exactly `length` of them: the data file's blob, or for an
// operator its record packed from the image.
Result itemBytes(Workspace& ws, ListKind kind, int row, uint32_t length, QByteArray& out) {
    if (kind == ListKind::Operators) {
        out = packOperatorRecord(ws.image().operRecords[size_t(row)], ws.image().operFormat);
    } else if (Result s = ws.readBlob(tableOfList(kind), row, out); !s) {
        return s;
    }
    if (out.size() > qsizetype(length)) out.truncate(qsizetype(length));
    else if (out.size() < qsizetype(length)) out.append(QByteArray(qsizetype(length) - out.size(), '\0'));
    return {};
}

const char* listName(ListKind kind) {
    switch (kind) {
    case ListKind::Pictures: return "pictures";
    case ListKind::Melodies: return "melodies";
    case ListKind::Operators: return "operators";
    case ListKind::Strings: return "strings";
    }
    return "";
}

// A row that went to the phone.
struct WrittenRow {
    ListKind kind;
    int row;
    PhoneRange range;
};

}  // namespace

QString backupFileName(const QDateTime& at) {
    const QDate d = at.date();
    const QTime t = at.time();
    return QStringLiteral("backup_%1-%2-%3_%4-%5-%6.flp")
        .arg(d.year()).arg(d.month()).arg(d.day()).arg(t.hour()).arg(t.minute()).arg(t.second());
}

ResultCode writeTickedItems(PhoneLink& link, Workspace& ws, const QString& backupPath, bool verify) {
    ProgressSink& bar = link.bar();
    bar.setText(langText(Text::WaitingForPhone));
    bar.setPosition(0);
    if (link.task.aborted()) return ResultCode::Aborted;
    if (!itemsFit(link, ws)) return failTask(link, ResultCode::NotEnoughMemory);

    BackupFile backup(backupPath);
    if (backup.wanted() && !backup.canCreate()) {
        link.failureDetail = QStringLiteral("Can not create the backup file %1").arg(backupPath);
        return failTask(link, ResultCode::FileWriteError);
    }
    if (const ResultCode rc = prepareLoader(link, TaskKind::Write); rc != ResultCode::Ok) return failTask(link, rc);

    const MediaImage& image = ws.image();
    const uint32_t bufferSize = uint32_t(link.buffer.size());
    std::vector<WrittenRow> written;
    QByteArray data;
    for (const ListPlan& list : kLists) {
        auto& ticks = ws.ticks(list.kind);
        std::vector<int> rows;
        std::vector<PhoneRange> ranges;
        for (size_t i = 0; i < ticks.size(); ++i) {
            if (!ticks[i]) continue;
            const BlobRef item = phoneItem(image, list.kind, int(i));
            rows.push_back(int(i));
            ranges.push_back({item.address - 8, item.length});
        }
        const int total = int(rows.size());
        if (total == 0) continue;
        size_t logged = 0;  // rows named in the log so far
        const auto logRowsTo = [&](size_t lastRow) {
            for (; logged <= lastRow && logged < ticks.size(); ++logged) writeLog(QStringLiteral("Reading - %1").arg(logged));
        };
        // The text counts every item once, in order, as its bytes go out; the old bytes of a
        // batch are read while its first item shows.
        int shown = 0;
        const auto showItem = [&](size_t k) {
            while (shown <= int(k)) bar.setText(itemProgressText(list.label, ++shown, total));
        };
        // Neighbours go together: their old bytes in one Read block, and those that lie exactly
        // next to each other in one Write block.
        const std::span<const PhoneRange> all(ranges);
        for (const BlockRun& batch : planReads(all, bufferSize, gapWorthReading(link.workingSpeed))) {
            logRowsTo(size_t(rows[batch.first + batch.count - 1]));
            showItem(batch.first);
            if (backup.wanted()) {
                // Only bytes that really came from the phone go into the patch: a record
                // filled up with stale buffer bytes would restore wrong data.
                if (const ResultCode rc = readRun(link, ranges, batch, {}); rc != ResultCode::Ok) return failTask(link, rc);
                for (size_t j = batch.first; j < batch.first + batch.count; ++j) {
                    const PhoneRange& r = ranges[j];
                    if (!backup.append(r.address + 8, link.buffer.data() + (r.address - batch.address), r.length)) {
                        link.failureDetail = QStringLiteral("Can not write the backup file %1").arg(backup.name());
                        return failTask(link, ResultCode::FileWriteError);
                    }
                }
            }
            for (BlockRun run : planWrites(all.subspan(batch.first, batch.count), bufferSize)) {
                run.first += batch.first;
                BlockItems track;
                for (size_t j = run.first; j < run.first + run.count; ++j) {
                    const PhoneRange& r = ranges[j];
                    if (Result s = itemBytes(ws, list.kind, rows[j], r.length, data); !s) {
                        link.failureDetail = s.message();
                        return failTask(link, ResultCode::FileReadError);
                    }
                    const uint32_t at = r.address - run.address;
                    std::copy(data.begin(), data.end(), link.buffer.begin() + at);
                    track.ends.push_back(at + r.length);
                }
                track.passed = [&](int passed) {
                    if (size_t(passed) < run.count) showItem(run.first + size_t(passed));
                };
                showItem(run.first);
                const ResultCode rc = writeBlock(link, run.length, run.address, run.count > 1 ? &track : nullptr);
                if (rc != ResultCode::Ok || link.task.aborted()) return failTask(link, rc == ResultCode::Ok ? ResultCode::Aborted : rc);
                for (size_t j = run.first; j < run.first + run.count; ++j) {
                    ticks[size_t(rows[j])] = false;  // written: only now is the row's change in the phone
                    written.push_back({list.kind, rows[j], ranges[j]});
                }
            }
        }
        logRowsTo(ticks.size() - 1);
    }
    writeLog("Write shapka[idTablePict]");
    if (const ResultCode rc = endOfWrite(link); rc != ResultCode::Ok || link.task.aborted())
        return failTask(link, rc == ResultCode::Ok ? ResultCode::Aborted : rc);

    // Read every written item back before the loader lets go of the phone.
    std::vector<size_t> differing;
    if (verify) {
        std::vector<PhoneRange> ranges;
        ranges.reserve(written.size());
        for (const WrittenRow& w : written) ranges.push_back(w.range);
        const ResultCode rc = verifyWritten(link, ranges, [&](size_t i, QByteArray& out) {
            return itemBytes(ws, written[i].kind, written[i].row, written[i].range.length, out);
        }, differing);
        if (rc != ResultCode::Ok || link.task.aborted()) return failTask(link, rc == ResultCode::Ok ? ResultCode::Aborted : rc);
    }
    if (const ResultCode rc = finish(link); rc != ResultCode::Ok || link.task.aborted())
        return failTask(link, rc == ResultCode::Ok ? ResultCode::Aborted : rc);
    if (const ResultCode rc = link.port.close(); rc != ResultCode::Ok) return failTask(link, rc);
    if (!differing.empty()) {
        // The rows stay to be written again.
        for (size_t i : differing) ws.ticks(written[i].kind)[size_t(written[i].row)] = true;
        const WrittenRow& first = written[differing.front()];
        link.failureDetail = QStringLiteral("%1: %2 row %3").arg(QLatin1String(kWriteNotVerifiedMessage),
                                                                  QLatin1String(listName(first.kind))).arg(first.row);
        if (differing.size() > 1) link.failureDetail += QStringLiteral(" and %1 more").arg(differing.size() - 1);
        return failTask(link, ResultCode::WriteNotVerified);
    }
    bar.setButtonCaption(langText(Text::CloseButton));
    bar.setText(langText(Text::TaskCompleted));
    return ResultCode::Ok;
}

}  // namespace qv
