// ports: the machine's serial ports.
#include "ports/serial_ports.h"
#include "cli/cli_command.h"

#include <QJsonArray>
#include <QJsonObject>

namespace qv::cli {
namespace {

QJsonValue idOrNull(const std::optional<uint16_t>& id) { return id ? QJsonValue(int(*id)) : QJsonValue(); }

QJsonValue ports(const Args& a) {
    a.requireCount(0, 0);
    QJsonArray list;
    for (const SerialPortEntry& p : machineSerialPorts())
        list.append(QJsonObject{{"path", p.path},
                                {"description", p.description},
                                {"manufacturer", p.manufacturer},
                                {"vendorId", idOrNull(p.vendorId)},
                                {"productId", idOrNull(p.productId)},
                                {"serialNumber", p.serialNumber}});
    return list;
}

}  // namespace

std::vector<Command> machineCommands() {
    return {
        {"ports", "",
         "Lists the machine's serial ports as JSON (path, description, manufacturer, USB vendorId and productId, "
         "serialNumber), USB adapters first; an empty list when there are none.",
         {}, {}, ports},
    };
}

}  // namespace qv::cli
