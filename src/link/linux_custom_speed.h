#pragma once
// Any baud rate on Linux through termios2 (BOTHER). Kept in a file of its own because the
// kernel's termios headers clash with the C library's.
#include <cstdint>
#include <optional>

namespace qv {

bool setLinuxSpeed(int fd, uint32_t baud);
// The speed the port is set to; none where it cannot be read.
std::optional<uint32_t> readLinuxSpeed(int fd);

}  // namespace qv
