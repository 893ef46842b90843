#include "session/phone_write_task.h"

#include "base/file_output.h"
#include "base/language_table.h"
#include "files/restore_patch_reader.h"
#include "session/transfer_steps.h"
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

// Every ticked item must fit one transfer block; checked before anything is sent.
Result itemsFit(Workspace& ws) {
    for (const ListPlan& list : kLists) {
        const auto& ticks = ws.ticks(list.kind);
        for (size_t i = 0; i < ticks.size(); ++i) {
            if (!ticks[i]) continue;
            const BlobRef b = phoneItem(ws.image(), list.kind, int(i));
            if (b.length > uint32_t(kTransferBufferBytes))
                return Result(ResultCode::NotEnoughMemory,
                              QStringLiteral("%1 row %2 has %3 bytes, more than the %4 a transfer can carry")
                                  .arg(langText(list.label).trimmed()).arg(i).arg(b.length).arg(kTransferBufferBytes));
        }
    }
    return {};
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
        return folder.isDir() && folder.isWritable() && checkOutputTarget(file_.fileName()).ok();
    }
    bool append(uint32_t address, const uint8_t* data, uint32_t length) {
        if (!file_.isOpen() && !file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        uint8_t head[kPatchRecordHeadBytes];
        putU32(head, address);
        putU32(head + 4, length);
        return file_.write(reinterpret_cast<const char*>(head), kPatchRecordHeadBytes) == kPatchRecordHeadBytes &&
               file_.write(reinterpret_cast<const char*>(data), length) == qint64(length) && file_.flush();
    }
    QString name() const { return QFileInfo(file_.fileName()).fileName(); }
    QString path() const { return file_.fileName(); }

private:
    QFile file_;
};

// The bytes a row sends to the phone, exactly `length` of them: the data file's blob, or for an
// operator its record packed from the image.
Expected<QByteArray> itemBytes(Workspace& ws, ListKind kind, int row, uint32_t length) {
    QByteArray out;
    if (kind == ListKind::Operators) {
        out = packOperatorRecord(ws.image().operRecords[size_t(row)], ws.image().operFormat);
    } else {
        Expected<QByteArray> blob = ws.readBlob(tableOfList(kind), row);
        if (!blob) return blob.error();
        out = std::move(*blob);
    }
    if (out.size() > qsizetype(length)) out.truncate(qsizetype(length));
    else if (out.size() < qsizetype(length)) out.append(QByteArray(qsizetype(length) - out.size(), '\0'));
    return out;
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

namespace {

// One write conversation: each list's ticked rows in turn, neighbours grouped, the old bytes
// saved first when a backup is wanted; then the end of write, the read-back and the finish.
class TickedItemsWriter {
public:
    TickedItemsWriter(PhoneLink& link, Workspace& ws, const QString& backupPath)
        : link_(link), ws_(ws), backup_(backupPath) {}

    Result run(bool verify) {
        link_.report(ProgressEvent::at(ProgressStage::WaitingForPhone));
        link_.report(ProgressEvent::bar(0));
        if (link_.task.cancelled()) return ResultCode::Aborted;
        if (Result fit = itemsFit(ws_); !fit) return failTask(link_, fit);
        if (backup_.wanted() && !backup_.canCreate())
            return failTask(link_, Result(ResultCode::FileWriteError,
                                          QStringLiteral("Can not create the backup file %1").arg(backup_.path())));
        if (Result ready = prepareLoader(link_, TaskKind::Write); !ready) return failTask(link_, ready);
        for (const ListPlan& list : kLists)
            if (Result r = writeList(list); !r) return failTask(link_, r);
        writeLog("Write shapka[idTablePict]");
        if (Result rc = unlessCancelled(link_, endOfWrite(link_)); !rc) return failTask(link_, rc);
        // Read every written item back before the loader lets go of the phone.
        std::vector<size_t> differing;
        if (verify) {
            Expected<std::vector<size_t>> readBackDiffers = readBack();
            if (!readBackDiffers) return failTask(link_, readBackDiffers.error());
            differing = std::move(*readBackDiffers);
        }
        if (Result rc = unlessCancelled(link_, finish(link_)); !rc) return failTask(link_, rc);
        if (Result rc = link_.port.close(); !rc) return failTask(link_, rc);
        if (!differing.empty()) return failTask(link_, notHeld(differing));
        link_.report(ProgressEvent::at(ProgressStage::Completed));
        return ResultCode::Ok;
    }

private:
    Result writeList(const ListPlan& list) {
        auto& ticks = ws_.ticks(list.kind);
        rows_.clear();
        ranges_.clear();
        for (size_t i = 0; i < ticks.size(); ++i) {
            if (!ticks[i]) continue;
            const BlobRef item = phoneItem(ws_.image(), list.kind, int(i));
            rows_.push_back(int(i));
            ranges_.push_back({item.address - kTableAddressOffset, item.length});
        }
        if (rows_.empty()) return {};
        logged_ = 0;
        shown_ = 0;
        const std::span<const PhoneRange> all(ranges_);
        // Neighbours go together: their old bytes in one Read block, and those that lie exactly
        // next to each other in one Write block.
        for (const BlockRun& batch : planReads(all, uint32_t(kTransferBufferBytes), gapWorthReading(link_.workingSpeed))) {
            logRowsTo(size_t(rows_[batch.first + batch.count - 1]), ticks.size());
            showItem(list, batch.first);
            if (backup_.wanted()) {
                if (Result r = saveOldBytes(batch); !r) return r;
            }
            for (BlockRun run : planWrites(all.subspan(batch.first, batch.count), uint32_t(kTransferBufferBytes))) {
                run.first += batch.first;
                if (Result r = writeRun(list, run); !r) return r;
            }
        }
        logRowsTo(ticks.size() - 1, ticks.size());
        return {};
    }

    // Only bytes that really came from the phone go into the patch: a record filled up with
    // stale bytes would restore wrong data.
    Result saveOldBytes(const BlockRun& batch) {
        if (Result rc = readRun(link_, ranges_, batch, {}, block_); !rc) return rc;
        for (size_t j = batch.first; j < batch.first + batch.count; ++j) {
            const PhoneRange& r = ranges_[j];
            if (!backup_.append(r.address + kTableAddressOffset, block_.data() + (r.address - batch.address), r.length))
                return Result(ResultCode::FileWriteError, QStringLiteral("Can not write the backup file %1").arg(backup_.name()));
        }
        return {};
    }

    Result writeRun(const ListPlan& list, const BlockRun& run) {
        block_.assign(run.length, 0);
        BlockItems track;
        for (size_t j = run.first; j < run.first + run.count; ++j) {
            const PhoneRange& r = ranges_[j];
            Expected<QByteArray> bytes = itemBytes(ws_, list.kind, rows_[j], r.length);
            if (!bytes) return Result(ResultCode::FileReadError, bytes.error().message());
            data_ = std::move(*bytes);
            const uint32_t at = r.address - run.address;
            std::copy(data_.begin(), data_.end(), block_.begin() + at);
            track.ends.push_back(at + r.length);
        }
        track.passed = [&](int passed) {
            if (size_t(passed) < run.count) showItem(list, run.first + size_t(passed));
        };
        showItem(list, run.first);
        const Result rc = writeBlock(link_, run.address, block_, run.count > 1 ? &track : nullptr);
        if (Result r = unlessCancelled(link_, rc); !r) return r;
        auto& ticks = ws_.ticks(list.kind);
        for (size_t j = run.first; j < run.first + run.count; ++j) {
            ticks[size_t(rows_[j])] = false;  // written: only now is the row's change in the phone
            written_.push_back({list.kind, rows_[j], ranges_[j]});
        }
        return {};
    }

    // The indexes of the written rows the phone does not hold as written.
    Expected<std::vector<size_t>> readBack() {
        std::vector<PhoneRange> ranges;
        ranges.reserve(written_.size());
        for (const WrittenRow& w : written_) ranges.push_back(w.range);
        Expected<std::vector<size_t>> differing = verifyWritten(link_, ranges, [&](size_t i) {
            return itemBytes(ws_, written_[i].kind, written_[i].row, written_[i].range.length);
        });
        if (!differing) return differing;
        if (Result r = unlessCancelled(link_, ResultCode::Ok); !r) return r;
        return differing;
    }

    // The rows the phone does not hold as written stay to be written again.
    Result notHeld(const std::vector<size_t>& differing) {
        for (size_t i : differing) ws_.ticks(written_[i].kind)[size_t(written_[i].row)] = true;
        const WrittenRow& first = written_[differing.front()];
        QString detail = QStringLiteral("%1: %2 row %3").arg(QLatin1String(kWriteNotVerifiedMessage),
                                                              QLatin1String(listName(first.kind))).arg(first.row);
        if (differing.size() > 1) detail += QStringLiteral(" and %1 more").arg(differing.size() - 1);
        return Result(ResultCode::WriteNotVerified, detail);
    }

    // The text counts every item once, in order, as its bytes go out; the old bytes of a
    // batch are read while its first item shows.
    void showItem(const ListPlan& list, size_t k) {
        const int total = int(rows_.size());
        while (shown_ <= int(k)) link_.report(ProgressEvent::itemOf(ProgressStage::Writing, tableOfList(list.kind), ++shown_, total));
    }
    void logRowsTo(size_t lastRow, size_t rowCount) {
        for (; logged_ <= lastRow && logged_ < rowCount; ++logged_) writeLog(QStringLiteral("Reading - %1").arg(logged_));
    }

    PhoneLink& link_;
    Workspace& ws_;
    BackupFile backup_;
    std::vector<int> rows_;            // the list's ticked rows
    std::vector<PhoneRange> ranges_;   // and where they lie in the phone
    std::vector<WrittenRow> written_;  // every row that went to the phone
    std::vector<uint8_t> block_;
    QByteArray data_;
    size_t logged_ = 0;  // rows named in the log so far
    int shown_ = 0;
};

}  // namespace

Result writeTickedItems(PhoneLink& link, Workspace& ws, const QString& backupPath, bool verify) {
    return TickedItemsWriter(link, ws, backupPath).run(verify);
}

}  // namespace qv
