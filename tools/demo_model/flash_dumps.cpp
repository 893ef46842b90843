#include "demo_model/flash_dumps.h"

#include <cstring>

namespace qv::demo {

FlashDumps::FlashDumps(int dumpCount) : dumpCount_(dumpCount == 2 ? 2 : 1) {
    for (int d = 1; d <= dumpCount_; ++d) {
        bytes_[size_t(d - 1)] = QByteArray(kMinDumpSize, char(0xFF));
        next_[size_t(d - 1)] = firstItemOffset(d);
    }
}

Result FlashDumps::reserve(int dump, uint32_t end) {
    if (end > kMaxDumpSize)
        return Result::failure(QStringLiteral("the items do not fit in the 16 MiB of flash dump %1").arg(dump));
    QByteArray& b = bytes_[size_t(dump - 1)];
    if (end > uint32_t(b.size())) {
        const qsizetype grown = (qsizetype(end) + kSizeStep - 1) / kSizeStep * kSizeStep;
        b.append(QByteArray(grown - b.size(), char(0xFF)));
    }
    return {};
}

Expected<uint32_t> FlashDumps::place(int dump, QByteArrayView bytes, int align) {
    if (dump < 1 || dump > dumpCount_) return Result::failure(QStringLiteral("there is no flash dump %1").arg(dump));
    uint32_t& next = next_[size_t(dump - 1)];
    const uint32_t a = uint32_t(align > 0 ? align : 1);
    const uint32_t offset = (next + a - 1) / a * a;
    if (Result s = reserve(dump, offset + uint32_t(bytes.size())); !s) return s;
    std::memcpy(bytes_[size_t(dump - 1)].data() + offset, bytes.data(), size_t(bytes.size()));
    next = offset + uint32_t(bytes.size());
    return (uint32_t(dump) << 24) | offset;
}

Result FlashDumps::placeAt(uint32_t address, QByteArrayView bytes) {
    const int dump = int(address >> 24);
    const uint32_t offset = address & 0xFFFFFF;
    if (dump < 1 || dump > dumpCount_ || offset + uint32_t(bytes.size()) > firstItemOffset(dump))
        return Result::failure(QStringLiteral("address %1 is not below the items of a dump").arg(address, 8, 16, QChar(u'0')));
    std::memcpy(bytes_[size_t(dump - 1)].data() + offset, bytes.data(), size_t(bytes.size()));
    return {};
}

QByteArray FlashDumps::image(int dump) const {
    return dump >= 1 && dump <= dumpCount_ ? bytes_[size_t(dump - 1)] : QByteArray();
}

}  // namespace qv::demo
