#pragma once
// The loader's block protocol: speed switch, read block, write block, end of write, finish
// and the software version display. Fields go most significant byte first; the loader
// acknowledges with 0x21. A block carries at most kTransferBufferBytes.
#include "link/loader_protocol.h"
#include "link/phone_link.h"

#include <functional>
#include <span>
#include <vector>

namespace qv {

// The speed code the loader understands, or -1 for a speed it has no code for.
int loaderSpeedCode(uint32_t baud);
// Whether a transfer can run at `baud`: the start speed or one with a speed code.
bool loaderKnowsSpeed(uint32_t baud);
// Why a transfer cannot run at `baud`, naming the speeds it can; empty when it can.
QString speedRefusal(uint32_t baud);
// Checksum of a write segment: 0xFFFF minus every byte of address, length and data.
uint16_t segmentChecksum(uint32_t address, uint32_t length, const uint8_t* data);

// Several items moved in one block: where each ends in the block (offsets from the block's
// first byte, in the items' order), and what to call whenever more of them, counted from the
// first, have gone by completely. A caller shows each item as its bytes go by.
struct BlockItems {
    std::vector<uint32_t> ends;
    std::function<void(int passed)> passed;
};

// Each command ends with the loader's one-byte result: 0, 1 (aborted) or the code of what failed.
Result speedSwitch(PhoneLink& link);
// Speed switch, then the port's speed, then the version display; nothing at 28,800.
Result switchToWorkingSpeed(PhoneLink& link);
// Reads into.size() bytes from `address` into `into`.
Result readBlock(PhoneLink& link, uint32_t address, std::span<uint8_t> into, const BlockItems* items = nullptr);
// Writes `bytes` at `address`, in segments that never cross a 64 KiB boundary.
Result writeBlock(PhoneLink& link, uint32_t address, std::span<const uint8_t> bytes, const BlockItems* items = nullptr);
Result endOfWrite(PhoneLink& link);
Result finish(PhoneLink& link);
void versionDisplay(PhoneLink& link);

// The text of the version line for a 128-byte version block ("" when nothing is shown).
QString versionLineOf(const uint8_t* block, int size);

}  // namespace qv
