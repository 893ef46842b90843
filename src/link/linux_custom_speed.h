#pragma once
// Any baud rate on Linux through termios2 (BOTHER). Kept in a file of its own because the
// kernel's termios headers clash with the C library's.
#include <cstdint>

namespace qv {

bool setLinuxSpeed(int fd, uint32_t baud);
bool readLinuxSpeed(int fd, uint32_t& baud);

}  // namespace qv
