#pragma once
// The emulator's end of a pseudo-terminal. The host opens the slave device like a serial port.
#include "base/result.h"

#include <QString>

namespace qv::emu {

class PtyDevice {
public:
    PtyDevice() = default;
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    // Opens a master in non-blocking mode with the slave in raw mode.
    Result open();
    // A symlink to the slave, replacing an older symlink of that name (never a regular file);
    // removed again by the destructor.
    Result link(const QString& path);

    int masterFd() const { return master_; }
    QString slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    // Held open for the emulator's life: when the host closes the last slave descriptor the
    // master would report hang-up, and reads would fail until the host reopened.
    int slaveKeeper_ = -1;
    QString slavePath_;
    QString linkPath_;
};

}  // namespace qv::emu
