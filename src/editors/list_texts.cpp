#include "editors/list_texts.h"

#include "base/cp1251.h"

#include <algorithm>

namespace qv {

QString pictureRowText(const PictEntry& entry) {
    return QStringLiteral("%1x%2").arg(entry.width).arg(entry.height);
}

QByteArray melodyName(const MelEntry& entry) {
    const int n = std::min<int>(entry.name[0], MelEntry::kNameMax);
    return QByteArray(reinterpret_cast<const char*>(entry.name.data() + 1), n);
}

QString melodyRowText(int index, const MelEntry& entry) {
    return QString::number(index + 1) + QLatin1Char(' ') + fromCp1251(melodyName(entry));
}

QByteArray nameUpToZero(const uint8_t* bytes, size_t capacity) {
    const auto* end = std::find(bytes, bytes + capacity, uint8_t(0));
    return QByteArray(reinterpret_cast<const char*>(bytes), int(end - bytes));
}

QString operatorRowText(const OperRecord& record) {
    const QByteArray name = nameUpToZero(record.name1.data(), record.name1.size()).left(11);
    return QStringLiteral("%1-%2 ").arg(record.code0, 4, 16, QChar('0')).arg(record.code1 & 0xFF, 2, 16, QChar('0')).toUpper() +
           fromCp1251(name);
}

}  // namespace qv
