#pragma once
// Getting the loader running: greeting the phone's boot code, the boot header, the loader
// image in seven chunks and the confirmation.
#include "link/phone_link.h"

#include <array>

namespace qv {

extern const std::array<uint8_t, 41> kBootHeader;

// Leaves the port open at 28,800 baud; 0, 1 (aborted), 8 (no port name) or 9.
ResultCode uploadLoader(PhoneLink& link);

}  // namespace qv
