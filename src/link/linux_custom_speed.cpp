#include "link/linux_custom_speed.h"

#ifdef __linux__
#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace qv {

bool setLinuxSpeed(int fd, uint32_t baud) {
    struct termios2 t2;
    if (ioctl(fd, TCGETS2, &t2) != 0) return false;
    t2.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
    t2.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t2.c_ispeed = baud;
    t2.c_ospeed = baud;
    return ioctl(fd, TCSETS2, &t2) == 0;
}

std::optional<uint32_t> readLinuxSpeed(int fd) {
    struct termios2 t2;
    if (ioctl(fd, TCGETS2, &t2) != 0) return std::nullopt;
    return uint32_t(t2.c_ospeed);
}

}  // namespace qv
#else
namespace qv {
bool setLinuxSpeed(int, uint32_t) { return false; }
std::optional<uint32_t> readLinuxSpeed(int) { return std::nullopt; }
}  // namespace qv
#endif
