#pragma once
// Which items one loader command can move together. Every Read block or Write block costs a
// round trip besides its bytes: the command, the answer's trailer and acknowledgement, and the
// time until the answer reaches the host (a USB serial adapter holds a short answer back for
// its latency timer, 16 ms by default). Neighbouring items therefore go in one block.
#include <cstdint>
#include <span>
#include <vector>

namespace qv {

// Where an item lies in the phone, as the loader addresses it, and how long it is.
struct PhoneRange {
    uint32_t address = 0;
    uint32_t length = 0;
};

// A run of items moved by one block: items first … first + count − 1 of the list given.
struct BlockRun {
    size_t first = 0;
    size_t count = 0;
    uint32_t address = 0;  // the block's first byte
    uint32_t length = 0;   // the block's length; 0 when its items are all empty
};

// The round trip a Read block costs, in bytes at `baud`: the 12 bytes of command, trailer and
// acknowledgement, and the 16 ms a USB adapter may hold the answer back. A gap between two
// items up to this size is cheaper read through than skipped.
uint32_t gapWorthReading(uint32_t baud);

// Reads: consecutive items go in one block while each starts no earlier than the block and at
// most `maxGap` bytes after the end of what the block holds so far (items may overlap), and
// the block stays within `maxBlock` bytes. Empty items join any block. An item larger than
// `maxBlock` stands alone.
std::vector<BlockRun> planReads(std::span<const PhoneRange> items, uint32_t maxBlock, uint32_t maxGap);

// Writes: consecutive items go in one block only when each starts exactly where the one before
// ends, so that no byte is written that is not an item's own; at most `maxBlock` bytes.
std::vector<BlockRun> planWrites(std::span<const PhoneRange> items, uint32_t maxBlock);

}  // namespace qv
