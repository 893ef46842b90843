#pragma once
// The platform's serial device, reduced to the calls the port layer needs. Plain types only,
// so that the Windows implementation builds without Qt.
#include <cstdint>
#include <memory>
#include <string>

namespace qv {

struct LineSettings {
    uint32_t baud = 19200;
    int dataBits = 8;
    bool twoStopBits = false;
    bool dtr = false;
    bool rts = false;
    int xonLimit = 0;
    int xoffLimit = 0;
};

struct Timeouts {
    uint32_t readInterval = 0;
    uint32_t readTotalMultiplier = 0;
    uint32_t readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 0;
    uint32_t writeTotalConstant = 0;
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // `exclusive`: the loader link takes the port for itself; the AT link shares it.
    virtual bool open(const std::string& name, bool exclusive) = 0;
    virtual bool isOpen() const = 0;
    virtual long long handleNumber() const = 0;
    virtual bool close() = 0;

    virtual bool readSettings(LineSettings& settings) = 0;
    virtual bool applySettings(const LineSettings& settings) = 0;
    virtual bool readTimeouts(Timeouts& timeouts) = 0;
    virtual bool applyTimeouts(const Timeouts& timeouts) = 0;
    virtual bool setQueueSizes(uint32_t input, uint32_t output) = 0;
    virtual bool readEventMask(uint32_t& mask) = 0;
    virtual bool setEventMask(uint32_t mask) = 0;

    // Bytes waiting in the input queue; -1 when the status cannot be read.
    virtual int inputCount() = 0;
    // Waits up to `ms` for input to arrive; returns at once when bytes are waiting.
    virtual bool waitForInput(int ms) = 0;
    // Reads at most `wanted` bytes that are already waiting; -1 on failure.
    virtual int read(uint8_t* buffer, int wanted) = 0;
    // Writes all bytes (blocking until the platform took them); -1 on failure.
    virtual int write(const uint8_t* buffer, int count) = 0;
    // Waits until every written byte has left, then throws away what is queued in both
    // directions, so a purge never loses bytes the program wrote.
    virtual bool purge() = 0;
    // The same for the input queue alone.
    virtual bool clearInput() = 0;

    // True once a call found the device gone (cable or adapter pulled, device node removed):
    // it fails for good then, which a caller must tell apart from "nothing has arrived yet".
    // Cleared by the next open.
    virtual bool lost() const { return false; }
};

std::unique_ptr<SerialDevice> createPlatformSerialDevice();

}  // namespace qv
