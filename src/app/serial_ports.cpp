#include "app/serial_ports.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace qv {
namespace {

QStringList fallbackPorts() {
    QStringList ports;
    for (int i = 1; i <= 8; ++i) ports << QStringLiteral("COM%1").arg(i);
    return ports;
}

// Natural order on device names: a common stem compares by its trailing number.
bool naturalLess(const QString& a, const QString& b) {
    static const QRegularExpression tail(QStringLiteral("^(.*?)(\\d+)$"));
    const auto ma = tail.match(a), mb = tail.match(b);
    if (ma.hasMatch() && mb.hasMatch() && ma.captured(1) == mb.captured(1))
        return ma.captured(2).toULongLong() < mb.captured(2).toULongLong();
    return a < b;
}

void sortNatural(QStringList& list) { std::sort(list.begin(), list.end(), naturalLess); }

// A ttyS node exists for every possible legacy port; only one with a UART behind it is real.
bool hasUart(const QString& sysTtyDir, const QString& name) {
    const QString base = QDir(sysTtyDir).filePath(name);
    if (!QFileInfo::exists(base)) return true;  // no kernel information: take the node as it is
    QFile type(QDir(base).filePath(QStringLiteral("type")));
    if (type.open(QIODevice::ReadOnly)) return type.readAll().trimmed() != "0";
    return QFileInfo::exists(QDir(base).filePath(QStringLiteral("device")));
}

}  // namespace

QStringList serialPortsUnder(const QString& devDir, const QString& sysTtyDir) {
    const QDir dev(devDir);
    QStringList result;
    QSet<QString> seen;  // by the device a name leads to
    auto addGroup = [&result, &seen](QStringList group) {
        sortNatural(group);
        for (const QString& p : group) {
            const QString canonical = QFileInfo(p).canonicalFilePath();
            if (seen.contains(canonical)) continue;
            seen.insert(canonical);
            result << p;
        }
    };

    QStringList usb;
    const QDir byId(dev.filePath(QStringLiteral("serial/by-id")));
    for (const QFileInfo& link : byId.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty()) usb << target;
    }
    addGroup(usb);

    const QStringList names = dev.entryList({QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")},
                                            QDir::Files | QDir::System, QDir::Name);
    QStringList adapters;
    for (const QString& n : names) adapters << dev.filePath(n);
    addGroup(adapters);

    QStringList legacy;
    for (const QString& n : dev.entryList({QStringLiteral("ttyS*")}, QDir::Files | QDir::System, QDir::Name))
        if (hasUart(sysTtyDir, n)) legacy << dev.filePath(n);
    addGroup(legacy);
    return result;
}

QStringList portsByValueName(QList<QPair<QString, QString>> values) {
    std::stable_sort(values.begin(), values.end(), [](const auto& a, const auto& b) {
        return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0;
    });
    QStringList ports;
    for (const auto& v : values)
        if (!v.second.isEmpty()) ports << v.second;
    return ports;
}

#ifdef Q_OS_WIN
namespace {
// Read directly: value names such as "\Device\Serial0" hold backslashes, which QSettings
// would take for key separators.
bool readSerialCommKey(QList<QPair<QString, QString>>* values) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLen = 256;
        wchar_t data[256];
        DWORD dataBytes = sizeof(data) - sizeof(wchar_t);
        DWORD type = 0;
        const LONG rc = RegEnumValueW(key, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataBytes);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || type != REG_SZ) continue;
        data[dataBytes / sizeof(wchar_t)] = 0;
        values->append({QString::fromWCharArray(name, int(nameLen)), QString::fromWCharArray(data)});
    }
    RegCloseKey(key);
    return true;
}
}  // namespace
#endif

QStringList enumerateSerialPorts() {
    QStringList ports;
#ifdef Q_OS_WIN
    QList<QPair<QString, QString>> values;
    if (readSerialCommKey(&values)) ports = portsByValueName(values);
#else
    ports = serialPortsUnder(QStringLiteral("/dev"), QStringLiteral("/sys/class/tty"));
#endif
    return ports.isEmpty() ? fallbackPorts() : ports;
}

}  // namespace qv
