#include "phone_emu/flash_store.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>

namespace qv::emu {

FlashStore::Location FlashStore::locate(uint32_t loaderAddress) {
    const uint32_t table = loaderAddress + 8;
    return {(table >> 24) == 0x01 ? 0 : 1, table & 0xFFFFFF};
}

Result FlashStore::load(const QString& dump1, const QString& dump2) {
    const std::array<QString, 2> paths{dump1, dump2};
    for (int i = 0; i < 2; ++i) {
        paths_[i] = paths[i];
        bytes_[i].clear();
        changed_[i] = false;
        if (paths[i].isEmpty()) continue;
        QFile file(paths[i]);
        if (!file.open(QIODevice::ReadOnly))
            return Result::failure(QStringLiteral("cannot read the dump %1: %2").arg(paths[i], file.errorString()));
        bytes_[i] = file.readAll();
    }
    return {};
}

QByteArray FlashStore::read(uint32_t loaderAddress, uint32_t length) const {
    const Location at = locate(loaderAddress);
    const QByteArray& dump = bytes_[at.dump];
    QByteArray out(qsizetype(length), char(0xFF));
    if (at.offset < uint32_t(dump.size())) {
        const qsizetype n = std::min<qsizetype>(length, dump.size() - at.offset);
        std::copy_n(dump.constData() + at.offset, n, out.data());
    }
    return out;
}

bool FlashStore::write(uint32_t loaderAddress, QByteArrayView data) {
    const Location at = locate(loaderAddress);
    QByteArray& dump = bytes_[at.dump];
    if (uint64_t(at.offset) + uint64_t(data.size()) > uint64_t(dump.size())) return false;
    if (data.isEmpty()) return true;
    std::copy_n(data.data(), data.size(), dump.data() + at.offset);
    changed_[at.dump] = true;
    return true;
}

Result FlashStore::saveChanged() {
    for (int i = 0; i < 2; ++i) {
        if (!changed_[i]) continue;
        QSaveFile file(paths_[i]);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes_[i]) != bytes_[i].size() || !file.commit())
            return Result::failure(QStringLiteral("cannot write the dump %1: %2").arg(paths_[i], file.errorString()));
        changed_[i] = false;
    }
    return {};
}

}  // namespace qv::emu
