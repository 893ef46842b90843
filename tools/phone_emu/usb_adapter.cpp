#include "phone_emu/usb_adapter.h"

namespace qv::emu {

void UsbAdapter::receive(char byte, Time crossed) {
    if (passesThrough()) {
        ready_.append(byte);
        return;
    }
    if (partial_.isEmpty()) partialSince_ = crossed;
    partial_.append(byte);
    if (partial_.size() == kPacketBytes) {
        ready_.append(partial_);
        partial_.clear();
    }
}

QByteArray UsbAdapter::release(Time now) {
    if (!partial_.isEmpty() && now >= partialSince_ + latency_) {
        ready_.append(partial_);
        partial_.clear();
    }
    return std::exchange(ready_, {});
}

std::optional<Time> UsbAdapter::nextDeadline() const {
    if (!ready_.isEmpty()) return Time(0);
    if (partial_.isEmpty()) return std::nullopt;
    return partialSince_ + latency_;
}

}  // namespace qv::emu
