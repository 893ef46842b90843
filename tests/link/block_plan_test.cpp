// Which items go together in one Read or Write block, and how a write of several items reports
// them as their bytes go out.
#include "link/block_plan.h"
#include "link/loader_commands.h"
#include "support/fake_link.h"
#include "support/fake_loader.h"

#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;

namespace {

using Bytes = std::vector<uint8_t>;
using Runs = std::vector<std::tuple<size_t, size_t, uint32_t, uint32_t>>;  // first, count, address, length

Runs runsOf(const std::vector<BlockRun>& runs) {
    Runs out;
    for (const BlockRun& r : runs) out.emplace_back(r.first, r.count, r.address, r.length);
    return out;
}

TEST(BlockPlan, AGapIsReadThroughWhenItCostsLessThanARoundTrip) {
    // 12 bytes of command, trailer and acknowledgement, and 16 ms of adapter latency.
    EXPECT_EQ(gapWorthReading(115200), 12u + 168u);
    EXPECT_EQ(gapWorthReading(28800), 12u + 42u);

    struct Case {
        const char* name;
        std::vector<PhoneRange> items;
        uint32_t maxBlock, maxGap;
        Runs reads;
    };
    const Case cases[] = {
        {"back to back and across small gaps", {{100, 10}, {110, 5}, {120, 30}}, 1000, 5, {{0, 3, 100, 50}}},
        {"a gap one byte too wide", {{100, 10}, {116, 4}}, 1000, 5, {{0, 1, 100, 10}, {1, 1, 116, 4}}},
        {"the block would outgrow the buffer", {{0, 60}, {60, 40}, {100, 1}}, 100, 0, {{0, 2, 0, 100}, {2, 1, 100, 1}}},
        {"an item before the block starts", {{500, 10}, {400, 10}}, 1000, 1000, {{0, 1, 500, 10}, {1, 1, 400, 10}}},
        {"shared and overlapping bytes", {{0, 20}, {0, 20}, {10, 20}, {5, 5}}, 1000, 0, {{0, 4, 0, 30}}},
        {"empty items join anywhere", {{0xFFFFFFF0u, 0}, {50, 10}, {7, 0}, {60, 2}}, 1000, 0, {{0, 4, 50, 12}}},
        {"after empty items an item larger than the buffer still stands alone", {{5, 0}, {10, 500}, {510, 1}}, 100, 0,
         {{0, 1, 5, 0}, {1, 1, 10, 500}, {2, 1, 510, 1}}},
        {"an item larger than the buffer stands alone", {{0, 10}, {10, 500}, {510, 1}}, 100, 0,
         {{0, 1, 0, 10}, {1, 1, 10, 500}, {2, 1, 510, 1}}},
        {"near the top of the address space", {{0xFFFFFF00u, 0x80}, {0xFFFFFF80u, 0x80}}, 1000, 0,
         {{0, 2, 0xFFFFFF00u, 0x100}}},
    };
    for (const Case& c : cases) EXPECT_EQ(runsOf(planReads(c.items, c.maxBlock, c.maxGap)), c.reads) << c.name;
}

TEST(BlockPlan, WritesJoinOnlyItemsThatLieExactlyNextToEachOther) {
    const std::vector<PhoneRange> items = {{100, 10}, {110, 10}, {121, 4}, {125, 0}, {125, 5}, {120, 10}, {130, 60}};
    EXPECT_EQ(runsOf(planWrites(items, 1000)),
              (Runs{{0, 2, 100, 20}, {2, 3, 121, 9}, {5, 2, 120, 70}}));
    // Within the buffer only.
    EXPECT_EQ(runsOf(planWrites(std::vector<PhoneRange>{{0, 50}, {50, 50}, {100, 50}}, 100)),
              (Runs{{0, 2, 0, 100}, {2, 1, 100, 50}}));
    EXPECT_TRUE(planWrites({}, 100).empty());
}

struct BlockFixture : ::testing::Test, FakeLink {
    FakeLoader phone{*dev};
};

TEST_F(BlockFixture, AWriteOfSeveralItemsSendsTheSameBytesInPiecesThatEndWithItems) {
    for (size_t i = 0; i < 20000; ++i) blockBuffer()[i] = uint8_t(i * 31 + i / 256);
    // Crossing a 64 KiB boundary: two segments either way.
    const uint32_t address = 0x0FFFF000;
    ASSERT_EQ(writeBlock(link, address, block(20000)), ResultCode::Ok);
    const Bytes whole = dev->written;

    dev->written.clear();
    std::vector<int> told;
    BlockItems items{{1000, 1300, 4096, 4100, 15000, 20000}, [&](int passed) { told.push_back(passed); }};
    ASSERT_EQ(writeBlock(link, address, block(20000), &items), ResultCode::Ok);
    EXPECT_EQ(dev->written, whole) << "the wire carries the same segments and checksums";
    EXPECT_EQ(told, (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

}  // namespace
