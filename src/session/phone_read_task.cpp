#include "session/phone_read_task.h"

#include "session/transfer_steps.h"
#include "link/block_plan.h"
#include "link/debug_log.h"
#include "link/loader_commands.h"

namespace qv {
namespace {

// Blobs read from the phone, at each item's address less kTableAddressOffset. The rewriter asks item by item;
// the first item of a run of neighbours fetches the whole run in one Read block, and the rest
// are handed out from it.
class PhoneReadSource final : public BlobSource {
public:
    explicit PhoneReadSource(PhoneLink& link) : link_(link) {}
    Result failure;

    Expected<QByteArray> fetch(const MediaImage& image, int id, int index) override {
        writeLog(QStringLiteral("Reading - %1").arg(index));
        const int count = int(image.count(id));
        if (id != table_ || index < int(run_.first) || index >= int(run_.first + run_.count)) {
            if (Result s = fetchRunFrom(image, id, index); !s) return s;
        } else {
            showItem(id, index, count);
        }
        const PhoneRange& item = items_[size_t(index)];
        const auto* data = reinterpret_cast<const char*>(block_.data()) + (item.address - run_.address);
        if (id != kOperatorTable) return QByteArray(data, int(item.length));
        const OperRecord record = unpackOperatorRecord(QByteArrayView(data, qsizetype(item.length)), image.operFormat);
        QByteArray out(int(OperRecord::kSize), '\0');
        record.write(reinterpret_cast<uint8_t*>(out.data()));
        return out;
    }

private:
    // The run of neighbours that starts with the first of `items`.
    BlockRun firstRun(std::span<const PhoneRange> items) const {
        // Planning more than the buffer can hold would only be thrown away.
        size_t n = 0;
        uint64_t bytes = 0;
        while (n < items.size() && bytes <= uint64_t(kTransferBufferBytes)) bytes += items[n++].length + 1;
        return planReads(items.first(n), uint32_t(kTransferBufferBytes), gapWorthReading(link_.workingSpeed)).front();
    }

    // The text counts every item once, in order, as its bytes arrive: a burst that brings
    // several items at once shows each of them. Items handed out from a run that was read
    // already have been shown.
    void showItem(int id, int index, int count) {
        while (shown_ < index) {
            ++shown_;
            link_.report(ProgressEvent::itemOf(ProgressStage::Reading, id, shown_ + 1, count));
        }
    }

    // The table's items at their loader addresses, once per table.
    void planTable(const MediaImage& image, int id) {
        table_ = id;
        shown_ = -1;
        items_.clear();
        const int count = int(image.count(id));
        items_.reserve(size_t(count));
        for (int i = 0; i < count; ++i) {
            const BlobRef b = image.blob(id, i);
            items_.push_back({b.address - kTableAddressOffset, id == kOperatorTable ? image.operFormat.recordSize : b.length});
        }
    }

    Result fetchRunFrom(const MediaImage& image, int id, int index) {
        if (id != table_) planTable(image, id);
        const int count = int(items_.size());
        const uint32_t size = items_[size_t(index)].length;
        if (size > uint32_t(kTransferBufferBytes)) {
            showItem(id, index, count);
            return stop(Result(ResultCode::NotEnoughMemory,
                               QStringLiteral("Item %1 of table %2 has %3 bytes, more than the %4 a transfer can carry")
                                   .arg(index).arg(id).arg(size).arg(kTransferBufferBytes)));
        }
        // The run starts at the item asked for; the rewriter asks in table order.
        const std::span<const PhoneRange> rest(items_.data() + index, items_.size() - size_t(index));
        run_ = firstRun(rest);
        run_.first += size_t(index);
        const Result rc = readRun(link_, items_, run_, [&](size_t item) { showItem(id, int(item), count); }, block_);
        if (!rc) {
            run_ = {};
            return stop(rc);
        }
        return {};
    }

    Result stop(Result why) {
        failure = why;
        return Result::failure(why.message());
    }

    PhoneLink& link_;
    int table_ = -1;
    std::vector<PhoneRange> items_;
    BlockRun run_;
    std::vector<uint8_t> block_;  // the run's bytes
    int shown_ = -1;  // the item whose progress text shows
};

}  // namespace

Result readPhoneIntoServiceFile(PhoneLink& link, Workspace& workspace) {
    link.report(ProgressEvent::at(ProgressStage::WaitingForPhone));
    if (link.task.cancelled()) return ResultCode::Aborted;
    if (Result s = checkRewritable(workspace.image(), workspace.loadedTables(), workspace.chosenName()); !s)
        return failTask(link, Result(ResultCode::FileWriteError, s.message()));
    if (Result ready = prepareLoader(link, TaskKind::Read); !ready) return failTask(link, ready);

    PhoneReadSource source(link);
    Result finishing;
    RewriteOptions options;
    options.renumberStrings = false;
    options.beforeSwap = [&]() -> Result {
        writeLog("Write shapka[idTablePict]");
        finishing = finish(link);
        const Result closed = link.port.close();
        if (finishing.ok()) finishing = closed;
        return finishing.ok() ? Result() : Result::failure(resultMessage(finishing.code()));
    };
    const Result s = workspace.rewriteFrom(source, options);
    if (!s) {
        link.port.close();
        if (!source.failure) return failTask(link, source.failure);
        if (!finishing.ok()) return failTask(link, finishing);
        return failTask(link, Result(ResultCode::FileWriteError, s.message()));
    }
    link.report(ProgressEvent::at(ProgressStage::Completed));
    return ResultCode::Ok;
}

}  // namespace qv
