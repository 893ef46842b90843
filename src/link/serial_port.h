#pragma once
// The one serial port of the phone link: the loader link and the AT link configurations,
// the working speed, closing, and the byte-level reads and writes the protocols use.
#include "base/result.h"
#include "link/serial_device.h"
#include "link/task_control.h"
#include "link/timeout_clock.h"

#include <QString>
#include <functional>
#include <memory>

namespace qv {

// How long a wait for the loader's answer lasts without a byte before it gives up.
inline constexpr uint32_t kLoaderSilenceMs = 7000;

class SerialPort {
public:
    explicit SerialPort(std::unique_ptr<SerialDevice> device = createPlatformSerialDevice());

    // A failed open says why in its detail ("permission denied": not in the dialout group).
    Result open(const QString& name);
    Result configureLoaderLink(uint32_t baud);
    Result openLoaderLink(const QString& name, uint32_t baud);
    // Only the port side; the loader must have been switched first.
    Result setWorkingSpeed(uint32_t baud);
    Result openAtLink(const QString& name);
    Result close();
    bool isOpen() const { return device_->isOpen(); }

    // Once a read or a write found the device gone (cable pulled, adapter unplugged), the code
    // that names the failure: 18 (read failed) or 17 (write failed); 0 while the port is sound.
    // Reads and writes return at once from then on. The next open clears it.
    ResultCode lostCode() const { return lost_; }
    bool lost() const { return lost_ != ResultCode::Ok; }
    // Once lost(): the system's reason, when the device gave one ("Input/output error").
    const QString& lostReason() const { return lostReason_; }

    // Up to `wanted` bytes of those waiting; waits at most 10 ms for the first to arrive.
    // 0 when none came, or at once when the device is gone (see lostCode()).
    int readBytes(uint8_t* buffer, int wanted);
    // In pieces of at most 4,096 bytes; stops before a piece when the task is cancelled,
    // and at once when the device is gone. A piece that fails otherwise is tried again.
    int writeBytes(const uint8_t* buffer, int count, const TaskControl& task);
    // Why a write came up short: 1 when the user's cancel stopped it,
    // otherwise the port's failure (17 when the device is still there but refused the bytes).
    Result shortWriteFailure(const TaskControl& task) const;
    // All bytes in one write: 0, or 17 when fewer went out.
    Result writeChunk(const uint8_t* buffer, int count);
    int inputCount();
    // Up to kLoaderSilenceMs for input to arrive; false on time-out, error or cancel.
    bool waitForInput(const TaskControl& task);
    void clearInput();

    TimeoutClock& clock() { return clock_; }
    SerialDevice& device() { return *device_; }

    // The milliseconds every wait of the link counts: the time-out clock's and the loader's.
    const TickSource& ticks() const { return ticks_; }
    // Tests give the link a time of their own, and shorten the fixed settling pauses.
    void setTickSource(TickSource ticks) {
        clock_ = TimeoutClock(ticks);
        ticks_ = std::move(ticks);
    }
    using Sleeper = std::function<void(int ms)>;
    void setSleeper(Sleeper sleeper) { sleep_ = std::move(sleeper); }
    void pause(int ms) { sleep_(ms); }

private:
    // Takes note when the device says it is gone; `code` names the step that found out.
    bool checkLost(ResultCode code);

    std::unique_ptr<SerialDevice> device_;
    TickSource ticks_ = systemTickCount;
    TimeoutClock clock_;
    Sleeper sleep_;
    ResultCode lost_ = ResultCode::Ok;
    QString lostReason_;
};

}  // namespace qv
