#pragma once
// A phone link on a serial device in memory, open, on the device's time: its pauses take no
// real time and only add up what they would have slept.
#include "link/phone_link.h"
#include "support/fake_serial_device.h"

#include <memory>

namespace qvtest {

struct FakeLink {
    FakeLink() {
        auto owned = std::make_unique<FakeSerialDevice>();
        dev = owned.get();
        link.port = qv::SerialPort(std::move(owned));
        link.port.setTickSource([d = dev] { return d->clockMs.load(); });
        link.port.setSleeper([this](int ms) {
            dev->clockMs += uint32_t(ms);
            sleptMs += ms;
        });
        link.portName = "ttyFAKE";
        link.loaderImage = QByteArray(qv::kLoaderImageSize, '\x5A');
        dev->opened = true;
    }
    FakeLink(const FakeLink&) = delete;  // the port's sleeper points here
    FakeLink& operator=(const FakeLink&) = delete;

    FakeSerialDevice* dev;
    qv::PhoneLink link;
    long long sleptMs = 0;
};

}  // namespace qvtest
