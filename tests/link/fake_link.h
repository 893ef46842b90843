#pragma once
// A phone link on a serial device in memory, open, with no pauses.
#include "link/fake_serial_device.h"
#include "link/phone_link.h"

#include <memory>

namespace qvtest {

struct FakeLink {
    FakeLink() {
        auto owned = std::make_unique<FakeSerialDevice>();
        dev = owned.get();
        link.port = qv::SerialPort(std::move(owned));
        link.port.setSleeper([](int) {});
        link.portName = "ttyFAKE";
        dev->opened = true;
    }
    FakeSerialDevice* dev;
    qv::PhoneLink link;
};

}  // namespace qvtest
