#pragma once
// The platform's serial device, reduced to the calls the port layer needs. Plain types only,
// so that the Windows implementation builds without Qt.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qv {

// What the line carries; every platform sets all of it. No parity, no handshake.
struct LineSettings {
    uint32_t baud = 19200;
    int dataBits = 8;
    bool twoStopBits = false;
    bool dtr = false;
    bool rts = false;
};

// The Win32 driver's own tuning; POSIX has no counterpart and ignores it. Reads here only ask
// for bytes that are already waiting and waits poll, so on POSIX nothing would be steered by
// time-outs or comm events, and the kernel sizes its own queues.
struct WindowsTuning {
    // COMMTIMEOUTS, in its field order; all zero: no time-outs.
    uint32_t readInterval = 0;
    uint32_t readTotalMultiplier = 0;
    uint32_t readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 0;
    uint32_t writeTotalConstant = 0;
    // SetupComm's recommended queue sizes; 0 and 0 leave the driver's.
    uint32_t inputQueue = 0;
    uint32_t outputQueue = 0;
    // SetCommMask; none leaves the mask alone.
    std::optional<uint32_t> eventMask;
    // The DCB's XonLim and XoffLim; none keeps the driver's. Flow control is off, so they only
    // have to be values the driver accepts.
    std::optional<uint16_t> xonLimit;
    std::optional<uint16_t> xoffLimit;
};

struct SerialConfig {
    LineSettings line;
    WindowsTuning windows;
};

// The steps of configure(), in the order they run; it stops at the first that fails.
enum class ConfigureStep {
    Timeouts,
    ReadEventMask,  // the mask the port had before, for the debug log
    ReadLine,       // the driver's current settings, which the new ones are put over
    Line,
    Queues,
    EventMask,
    Done,           // nothing failed
};

struct Configured {
    ConfigureStep failedAt = ConfigureStep::Done;
    // When the configure sets an event mask, the one before: the driver's on Windows; on POSIX
    // the one the last configure of this device asked for (0 before any).
    uint32_t previousEventMask = 0;
    bool ok() const { return failedAt == ConfigureStep::Done; }
};

// Which queues purge() empties.
enum class Queues {
    // What has arrived and not been read; on POSIX only after every written byte has left.
    Input,
    // Both directions, after every written byte has left, so a purge never loses bytes the
    // program wrote.
    Both,
};

// Why an open failed, in the platform's own words (UTF-8).
struct OpenFailure {
    std::string reason;
    bool denied = false;  // the user may not use the device
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // `exclusive`: the loader link takes the port for itself; the AT link shares it.
    virtual bool open(const std::string& name, bool exclusive) = 0;
    // After a failed open(): why.
    virtual OpenFailure openFailure() const = 0;
    virtual bool isOpen() const = 0;
    virtual bool close() = 0;
    // The platform's number for the open device (-1 when closed); only the debug log shows it.
    virtual long long handleNumber() const = 0;

    virtual Configured configure(const SerialConfig& config) = 0;

    // Bytes waiting in the input queue; -1 when the status cannot be read.
    virtual int inputCount() = 0;
    // Waits up to `ms` for input to arrive; returns at once when bytes are waiting.
    virtual bool waitForInput(int ms) = 0;
    // Reads at most `wanted` bytes that are already waiting; -1 on failure.
    virtual int read(uint8_t* buffer, int wanted) = 0;
    // Writes all bytes (blocking until the platform took them); -1 on failure.
    virtual int write(const uint8_t* buffer, int count) = 0;
    virtual bool purge(Queues queues) = 0;

    // True once a call found the device gone (cable or adapter pulled, device node removed):
    // it fails for good then, which a caller must tell apart from "nothing has arrived yet".
    // Cleared by the next open.
    virtual bool lost() const = 0;
};

std::unique_ptr<SerialDevice> createPlatformSerialDevice();

}  // namespace qv
