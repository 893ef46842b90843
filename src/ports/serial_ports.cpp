#include "ports/serial_ports.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <algorithm>

namespace qv {
namespace {

// Natural order on device paths: a common stem compares by its trailing number.
bool naturalLess(const QString& a, const QString& b) {
    static const QRegularExpression tail(QStringLiteral("^(.*?)(\\d+)$"));
    const auto ma = tail.match(a), mb = tail.match(b);
    if (ma.hasMatch() && mb.hasMatch() && ma.captured(1) == mb.captured(1))
        return ma.captured(2).toULongLong() < mb.captured(2).toULongLong();
    return a < b;
}

QString hex4(uint16_t v) { return QStringLiteral("%1").arg(v, 4, 16, QLatin1Char('0')); }

}  // namespace

void orderSerialPorts(QList<SerialPortEntry>& ports) {
    std::stable_sort(ports.begin(), ports.end(), [](const SerialPortEntry& a, const SerialPortEntry& b) {
        if (a.isUsb() != b.isUsb()) return a.isUsb();
        return naturalLess(a.path, b.path);
    });
}

QList<SerialPortEntry> machineSerialPorts() {
    QList<SerialPortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialPortEntry e;
#ifdef Q_OS_WIN
        e.path = info.portName();  // the serial device adds the \\.\ prefix itself
#else
        e.path = info.systemLocation();
#endif
        e.name = info.portName();
        e.description = info.description().trimmed();
        e.manufacturer = info.manufacturer().trimmed();
        if (info.hasVendorIdentifier()) e.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier()) e.productId = info.productIdentifier();
        e.serialNumber = info.serialNumber().trimmed();
        ports << e;
    }
    orderSerialPorts(ports);
    return ports;
}

QString serialPortLabel(const SerialPortEntry& port) {
    QString details = !port.description.isEmpty() ? port.description : port.manufacturer;
    if (port.vendorId && port.productId)
        details += QStringLiteral("%1(%2:%3)").arg(details.isEmpty() ? "" : " ", hex4(*port.vendorId), hex4(*port.productId));
    if (details.isEmpty() || port.name.isEmpty()) return port.path;
    return port.name + QStringLiteral(" \u2014 ") + details;
}

QList<SerialPortEntry> serialPortsFromPaths(const QStringList& paths) {
    QList<SerialPortEntry> ports;
    for (const QString& p : paths) {
        SerialPortEntry e;
        e.path = p;
        e.name = QFileInfo(p).fileName();
        ports << e;
    }
    return ports;
}

}  // namespace qv
