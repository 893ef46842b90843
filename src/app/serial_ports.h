#pragma once
// The serial ports offered in the "Setup COM port" dialog.
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace qv {

// The ports of this computer; COM1..COM8 when none can be found.
//  - Linux: the USB adapters named under /dev/serial/by-id (resolved to their devices), then
//    the other /dev/ttyUSB* and /dev/ttyACM*, then the /dev/ttyS* that have a UART behind
//    them; sorted within each group, ttyUSB2 before ttyUSB10.
//  - Windows: the values of HARDWARE\DEVICEMAP\SERIALCOMM, in the order of the value names.
QStringList enumerateSerialPorts();

// The Linux search over a device folder and the kernel's tty class folder (for tests:
// "/dev" and "/sys/class/tty" normally). No fallback names.
QStringList serialPortsUnder(const QString& devDir, const QString& sysTtyDir);

// Registry values (name, port) -> the ports in the case-insensitive order of the value
// names, empty ports skipped.
QStringList portsByValueName(QList<QPair<QString, QString>> values);

}  // namespace qv
