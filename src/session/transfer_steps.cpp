#include "session/transfer_steps.h"

#include "link/debug_log.h"
#include "link/loader_commands.h"
#include "link/loader_upload.h"

#include <algorithm>
#include <numeric>

namespace qv {

Result prepareLoader(PhoneLink& link, TaskKind kind) {
    if (Result uploaded = uploadLoader(link); !uploaded) return uploaded;
    if (link.task.cancelled()) return ResultCode::Aborted;
    writeLog("Init OK");
    link.report(ProgressEvent::at(ProgressStage::LoaderAccepted));
    if (link.workingSpeed != 28800) {
        if (Result rc = unlessCancelled(link, speedSwitch(link)); !rc) return rc;
    }
    if (kind == TaskKind::Read) writeLog("Init Add OK");
    if (link.workingSpeed != 28800 || kind == TaskKind::Read) {
        if (Result rc = link.port.setWorkingSpeed(link.workingSpeed); !rc) return rc;
        versionDisplay(link);
        if (link.task.cancelled()) return ResultCode::Aborted;
    }
    writeLog("Init For Write");
    if (kind != TaskKind::Restore) writeLog("Begin read pictures...");
    return ResultCode::Ok;
}

Result failTask(PhoneLink& link, Result why) {
    // A pulled cable: the code names the step that found out, the system says what happened.
    if (link.port.lost() && why.detail().isEmpty() && !link.port.lostReason().isEmpty() &&
        (why == ResultCode::ComReadFailed || why == ResultCode::ComWriteFailed))
        why = Result(why.code(), resultMessage(why.code()) + QStringLiteral(": ") + link.port.lostReason());
    if (link.port.isOpen()) link.port.close();  // a stopped task never leaves the port open
    link.report(ProgressEvent::stopped(why));
    return link.task.cancelled() ? Result(ResultCode::Aborted) : why;
}

Result readRun(PhoneLink& link, const std::vector<PhoneRange>& items, const BlockRun& run,
                   const std::function<void(size_t item)>& showItem, std::vector<uint8_t>& block) {
    if (showItem) showItem(run.first);
    if (link.task.cancelled()) return ResultCode::Aborted;
    if (run.length == 0 && run.count > 1) return ResultCode::Ok;  // empty items only: nothing to fetch
    BlockItems track;
    if (run.count > 1) {
        track.ends.reserve(run.count);
        for (size_t j = run.first; j < run.first + run.count; ++j)
            track.ends.push_back(items[j].length == 0 ? 0 : items[j].address + items[j].length - run.address);
        track.passed = [&](int passed) {
            if (showItem && size_t(passed) < run.count) showItem(run.first + size_t(passed));
        };
    }
    block.resize(run.length);
    return unlessCancelled(link, readBlock(link, run.address, block, run.count > 1 ? &track : nullptr));
}

Expected<std::vector<size_t>> verifyWritten(PhoneLink& link, const std::vector<PhoneRange>& written,
                                            const WrittenBytes& bytes) {
    std::vector<size_t> differing;
    if (written.empty()) return differing;
    // In address order, so that neighbours share a block whatever order they were written in.
    std::vector<size_t> order(written.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return written[a].address < written[b].address; });
    std::vector<PhoneRange> sorted;
    sorted.reserve(order.size());
    uint32_t longest = 0;
    for (size_t i : order) {
        sorted.push_back(written[i]);
        longest = std::max(longest, written[i].length);
    }
    const int total = int(written.size());
    int shown = 0;  // every item once, in order
    const auto show = [&](size_t item) {
        while (shown <= int(item)) link.report(ProgressEvent::itemOf(ProgressStage::Verifying, -1, ++shown, total));
    };
    QByteArray expected;
    std::vector<uint8_t> block;
    for (const BlockRun& run : planReads(sorted, uint32_t(kTransferBufferBytes), gapWorthReading(link.workingSpeed))) {
        if (Result rc = readRun(link, sorted, run, show, block); !rc) return rc;
        // What the block must hold: every written range that reaches into it, in the order written.
        const uint64_t from = run.address, to = uint64_t(run.address) + run.length;
        const auto first = std::lower_bound(sorted.begin(), sorted.end(), from > longest ? from - longest : 0,
                                            [](const PhoneRange& r, uint64_t at) { return r.address < at; });
        std::vector<size_t> reaching;
        for (auto it = first; it != sorted.end() && it->address < to; ++it)
            if (uint64_t(it->address) + it->length > from && it->length > 0) reaching.push_back(order[size_t(it - sorted.begin())]);
        std::sort(reaching.begin(), reaching.end());
        expected.fill('\0', qsizetype(run.length));
        for (size_t i : reaching) {
            Expected<QByteArray> read = bytes(i);
            if (!read) return Result(ResultCode::FileReadError, read.error().message());
            QByteArray& one = *read;
            const PhoneRange& r = written[i];
            if (one.size() < qsizetype(r.length)) one.append(QByteArray(qsizetype(r.length) - one.size(), '\0'));
            const int64_t at = int64_t(r.address) - int64_t(from);
            const int64_t begin = std::max<int64_t>(0, at), end = std::min<int64_t>(int64_t(run.length), at + r.length);
            for (int64_t k = begin; k < end; ++k) expected[qsizetype(k)] = one[qsizetype(k - at)];
        }
        const auto* got = reinterpret_cast<const char*>(block.data());
        for (size_t j = run.first; j < run.first + run.count; ++j) {
            const PhoneRange& r = sorted[j];
            if (r.length == 0) continue;
            const qsizetype at = qsizetype(r.address - run.address);
            if (std::equal(got + at, got + at + r.length, expected.constData() + at)) continue;
            writeLog(QStringLiteral("X:  Read back differs: %1 bytes at %2").arg(r.length).arg(r.address, 8, 16, QChar('0')));
            differing.push_back(order[j]);
        }
    }
    std::sort(differing.begin(), differing.end());
    return differing;
}

}  // namespace qv
