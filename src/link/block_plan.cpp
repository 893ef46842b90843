#include "link/block_plan.h"

#include <algorithm>

namespace qv {
namespace {

// 16 ms: the latency timer of the common USB serial adapters, unless set lower.
constexpr uint64_t kAdapterLatencyMs = 16;
// Command (9), the answer's trailer (2), the host's acknowledgement (1).
constexpr uint32_t kReadOverheadBytes = 12;
constexpr uint64_t kBitsPerByte = 11;

std::vector<BlockRun> plan(std::span<const PhoneRange> items, uint32_t maxBlock, uint32_t maxGap, bool adjacent) {
    std::vector<BlockRun> runs;
    uint64_t end = 0;  // one past the last byte the current block holds
    for (size_t i = 0; i < items.size(); ++i) {
        const PhoneRange& r = items[i];
        const uint64_t itemEnd = uint64_t(r.address) + r.length;
        BlockRun* run = runs.empty() ? nullptr : &runs.back();
        bool joins = false;
        if (run && r.length == 0) {
            joins = true;
        } else if (run && run->length == 0) {
            // Only empty items so far: the block starts with this one.
            joins = r.length <= maxBlock;
            if (joins) {
                run->address = r.address;
                end = r.address;
            }
        } else if (run) {
            const bool placeOk = adjacent ? r.address == end : r.address >= run->address && r.address <= end + maxGap;
            joins = placeOk && std::max(end, itemEnd) - run->address <= maxBlock;
        }
        if (joins) {
            ++run->count;
            end = std::max(end, itemEnd);
            run->length = uint32_t(end - run->address);
            continue;
        }
        runs.push_back({i, 1, r.address, r.length});
        end = itemEnd;
    }
    return runs;
}

}  // namespace

uint32_t gapWorthReading(uint32_t baud) {
    return kReadOverheadBytes + uint32_t((kAdapterLatencyMs * baud + kBitsPerByte * 1000 - 1) / (kBitsPerByte * 1000));
}

std::vector<BlockRun> planReads(std::span<const PhoneRange> items, uint32_t maxBlock, uint32_t maxGap) {
    return plan(items, maxBlock, maxGap, false);
}

std::vector<BlockRun> planWrites(std::span<const PhoneRange> items, uint32_t maxBlock) {
    return plan(items, maxBlock, 0, true);
}

}  // namespace qv
