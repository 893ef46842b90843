#pragma once
// The phone's flash, kept as up to two dump files. A loader address A means table address
// A + 8; the top byte of that picks the dump (0x01 the first, anything else the second) and
// the low 24 bits are the offset in it.
#include "base/result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstdint>

namespace qv::emu {

class FlashStore {
public:
    struct Location {
        int dump;  // 0 or 1
        uint32_t offset;
    };
    static Location locate(uint32_t loaderAddress);

    // An empty path leaves that dump absent: it reads as erased flash and refuses writes.
    Result load(const QString& dump1, const QString& dump2);

    // Bytes past the end of a dump read as erased flash (0xFF).
    QByteArray read(uint32_t loaderAddress, uint32_t length) const;
    // Refused (false) when any byte would land past the end of its dump.
    bool write(uint32_t loaderAddress, QByteArrayView data);

    bool changed() const { return changed_[0] || changed_[1]; }
    // Writes each changed dump through a temporary file that replaces it whole.
    Result saveChanged();

private:
    std::array<QString, 2> paths_;
    std::array<QByteArray, 2> bytes_;
    std::array<bool, 2> changed_{};
};

}  // namespace qv::emu
