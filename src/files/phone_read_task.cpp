#include "files/phone_read_task.h"

#include "base/language_table.h"
#include "files/transfer_steps.h"
#include "link/block_plan.h"
#include "link/debug_log.h"
#include "link/loader_commands.h"

namespace qv {
namespace {

TextKey readLabel(int id) {
    switch (id) {
    case kPictureTable: return Text::ReadingPictures;
    case kMelodyTable: return Text::ReadingMelodies;
    case kOperatorTable: return Text::ReadingOperatorsList;
    default: return Text::ReadingStrings;
    }
}

// Blobs read from the phone, at each item's address less 8. The rewriter asks item by item;
// the first item of a run of neighbours fetches the whole run in one Read block, and the rest
// are handed out from it.
class PhoneReadSource final : public BlobSource {
public:
    explicit PhoneReadSource(PhoneLink& link) : link_(link) {}
    ResultCode failure = ResultCode::Ok;

    Result fetch(const MediaImage& image, int id, int index, QByteArray& out) override {
        writeLog(QStringLiteral("Reading - %1").arg(index));
        const int count = int(image.count(id));
        if (id != table_ || index < int(run_.first) || index >= int(run_.first + run_.count)) {
            if (Result s = fetchRunFrom(image, id, index); !s) return s;
        } else {
            showItem(id, index, count);
        }
        const PhoneRange& item = items_[size_t(index)];
        const auto* data = reinterpret_cast<const char*>(held_.constData()) + (item.address - run_.address);
        if (id == kOperatorTable) {
            const OperRecord record = unpackOperatorRecord(QByteArrayView(data, qsizetype(item.length)), image.operFormat);
            out.resize(int(OperRecord::kSize));
            record.write(reinterpret_cast<uint8_t*>(out.data()));
        } else {
            out = QByteArray(data, int(item.length));
        }
        return {};
    }

private:
    // The run of neighbours that starts with the first of `items`.
    BlockRun firstRun(std::span<const PhoneRange> items) const {
        // Planning more than the buffer can hold would only be thrown away.
        size_t n = 0;
        uint64_t bytes = 0;
        while (n < items.size() && bytes <= link_.buffer.size()) bytes += items[n++].length + 1;
        return planReads(items.first(n), uint32_t(link_.buffer.size()), gapWorthReading(link_.workingSpeed)).front();
    }

    // The text counts every item once, in order, as its bytes arrive: a burst that brings
    // several items at once shows each of them. Items handed out from a run that was read
    // already have been shown.
    void showItem(int id, int index, int count) {
        while (shown_ < index) link_.bar().setText(itemProgressText(readLabel(id), ++shown_ + 1, count));
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
            items_.push_back({b.address - 8, id == kOperatorTable ? image.operFormat.recordSize : b.length});
        }
    }

    Result fetchRunFrom(const MediaImage& image, int id, int index) {
        if (id != table_) planTable(image, id);
        const int count = int(items_.size());
        const uint32_t size = items_[size_t(index)].length;
        if (size > uint32_t(link_.buffer.size())) {
            showItem(id, index, count);
            link_.failureDetail = QStringLiteral("Item %1 of table %2 has %3 bytes, more than the %4 a transfer can carry")
                                      .arg(index).arg(id).arg(size).arg(link_.buffer.size());
            return stop(ResultCode::NotEnoughMemory);
        }
        // The run starts at the item asked for; the rewriter asks in table order.
        const std::span<const PhoneRange> rest(items_.data() + index, items_.size() - size_t(index));
        run_ = firstRun(rest);
        run_.first += size_t(index);
        const ResultCode rc = readRun(link_, items_, run_, [&](size_t item) { showItem(id, int(item), count); });
        if (rc != ResultCode::Ok) {
            run_ = {};
            return stop(rc);
        }
        held_ = QByteArray(reinterpret_cast<const char*>(link_.buffer.data()), qsizetype(run_.length));
        return {};
    }

    Result stop(ResultCode rc) {
        failure = rc;
        return Result::failure(resultMessage(rc));
    }

    PhoneLink& link_;
    int table_ = -1;
    std::vector<PhoneRange> items_;
    BlockRun run_;
    QByteArray held_;
    int shown_ = -1;  // the item whose progress text shows
};

}  // namespace

ResultCode readPhoneIntoServiceFile(PhoneLink& link, Workspace& workspace) {
    link.bar().setText(langText(Text::WaitingForPhone));
    if (link.task.aborted()) return ResultCode::Aborted;
    if (Result s = checkRewritable(workspace.image(), workspace.loadedTables(), workspace.chosenName()); !s) {
        link.failureDetail = s.message();
        return failTask(link, ResultCode::FileWriteError);
    }
    if (const ResultCode rc = prepareLoader(link, TaskKind::Read); rc != ResultCode::Ok) return failTask(link, rc);

    PhoneReadSource source(link);
    ResultCode finishing = ResultCode::Ok;
    RewriteOptions options;
    options.renumberStrings = false;
    options.beforeSwap = [&]() -> Result {
        writeLog("Write shapka[idTablePict]");
        finishing = finish(link);
        const ResultCode closed = link.port.close();
        if (finishing == ResultCode::Ok) finishing = closed;
        return finishing == ResultCode::Ok ? Result() : Result::failure(resultMessage(finishing));
    };
    const Result s = workspace.rewriteFrom(source, options);
    if (!s) {
        link.port.close();
        if (source.failure != ResultCode::Ok) return failTask(link, source.failure);
        if (finishing != ResultCode::Ok) return failTask(link, finishing);
        link.failureDetail = s.message();
        return failTask(link, ResultCode::FileWriteError);
    }
    link.bar().setButtonCaption(langText(Text::CloseButton));
    link.bar().setText(langText(Text::TaskCompleted));
    return ResultCode::Ok;
}

}  // namespace qv
