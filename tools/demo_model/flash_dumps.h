#pragma once
// The flash dump files of the demo model: up to two images of the phone's flash, 0xFF wherever
// nothing was placed, each holding items at increasing offsets so that none overlap.
#include "base/expected.h"

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <cstdint>

namespace qv::demo {

class FlashDumps {
public:
    // Offsets are 24 bits wide inside a PhoneAddress.
    static constexpr uint32_t kMaxDumpSize = 0x1000000;
    static constexpr int kMinDumpSize = 2 * 1024 * 1024;
    static constexpr int kSizeStep = 64 * 1024;

    explicit FlashDumps(int dumpCount);

    int dumpCount() const { return dumpCount_; }
    // Places `bytes` in dump 1 or 2 after everything placed there so far, at an offset that is a
    // multiple of `align`; returns the PhoneAddress (dump number in the top byte).
    Expected<uint32_t> place(int dump, QByteArrayView bytes, int align);
    // Places `bytes` at a fixed PhoneAddress below the first free offset of its dump.
    Result placeAt(uint32_t address, QByteArrayView bytes);
    // Where items start in a dump; fixed blocks go below it.
    uint32_t firstItemOffset(int dump) const { return dump == 1 ? 0x040000 : 0x020000; }

    // The dump's bytes: at least 2 MiB, a multiple of 64 KiB.
    QByteArray image(int dump) const;

private:
    Result reserve(int dump, uint32_t end);
    int dumpCount_;
    std::array<QByteArray, 2> bytes_;
    std::array<uint32_t, 2> next_{};
};

}  // namespace qv::demo
