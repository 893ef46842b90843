#pragma once
// Getting the loader running: greeting the phone's boot code, the boot header, the loader
// image in seven chunks and the confirmation.
#include "link/loader_protocol.h"
#include "link/phone_link.h"

namespace qv {

// Leaves the port open at 28,800 baud; 0, 1 (aborted), 8 (no port name) or 9; 17 or 18 when
// the port went away (cable pulled); 22 when the boot code, or 16 when the started loader, did
// not answer within the link's BootWait (the detail says which).
Result uploadLoader(PhoneLink& link);

}  // namespace qv
