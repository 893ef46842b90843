#pragma once
// The machine's serial ports, by name: the list of the "Setup COM port" dialog and of
// `quorvanta-cli ports`. Enumeration only (Qt's serial port module); the transfers open the
// chosen device with the link layer's own serial device. Holds no widgets, so the command-line
// tool links it too.
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

namespace qv {

struct SerialPortEntry {
    QString path;  // what the Port setting stores and the serial device opens: /dev/ttyUSB0, COM3
    QString name;  // the short name: ttyUSB0, COM3
    QString description;
    QString manufacturer;
    std::optional<uint16_t> vendorId;  // USB adapters only
    std::optional<uint16_t> productId;
    QString serialNumber;

    bool isUsb() const { return vendorId.has_value(); }
};

// A source of ports: the machine's, or a stub in tests.
using SerialPortSource = std::function<QList<SerialPortEntry>()>;

// The ports the system reports, USB adapters first (see orderSerialPorts). Empty when there
// are none.
QList<SerialPortEntry> machineSerialPorts();

// USB adapters first, then the others; by path within each group, ttyUSB2 before ttyUSB10.
void orderSerialPorts(QList<SerialPortEntry>& ports);

// What the port list shows: "ttyUSB0 — FT232R USB UART (0403:6001)", the vendor:product
// part for USB adapters only. A port known by nothing but its device shows its full path.
QString serialPortLabel(const SerialPortEntry& port);

// Entries for bare device paths (a port typed or configured by hand).
QList<SerialPortEntry> serialPortsFromPaths(const QStringList& paths);

}  // namespace qv
