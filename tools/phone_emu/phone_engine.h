#pragma once
// The whole emulated phone as a byte-in, byte-out machine: firmware with AT commands, the boot
// code, and the loader over the flash dumps. It owns no port and reads no clock: the caller
// feeds each received byte with the time it arrived, calls advance() for the timers, and
// sends what takeOutput() returns.
#include "phone_emu/at_firmware.h"
#include "phone_emu/boot_code.h"
#include "phone_emu/emu_time.h"
#include "phone_emu/flash_store.h"
#include "phone_emu/loader_command_parser.h"
#include "phone_emu/phone_settings.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace qv::emu {

enum class PhoneMode { Firmware, Off, BootCode, Loader };
constexpr int kModeCount = 4;
const char* modeName(PhoneMode mode);

struct TrafficStats {
    std::array<uint64_t, kModeCount> received{};
    std::array<uint64_t, kModeCount> sent{};
};

// Bytes the phone puts on the line, with the line rate they go out at and the time the phone
// decided to send them.
struct Outgoing {
    QByteArray bytes;
    uint32_t baud = 0;
    Time at{};
};

class PhoneEngine {
public:
    static constexpr uint32_t kFirmwareBaud = 19200;
    // The firmware takes this long over a command, so the CR LF that follow the command's CR
    // are echoed before the answer.
    static constexpr Time kCommandTime = std::chrono::milliseconds(5);

    // `flash` must outlive the engine.
    PhoneEngine(PhoneSettings settings, FlashStore* flash);
    void setLogger(std::function<void(const QString&)> log) { log_ = std::move(log); }

    // Times never go backwards; an earlier time than seen before counts as the latest one.
    void receive(uint8_t byte, Time now);
    void receive(QByteArrayView bytes, Time now);
    void advance(Time now);
    std::optional<Time> nextDeadline() const;
    std::vector<Outgoing> takeOutput();

    PhoneMode mode() const { return mode_; }
    // The rate the phone's side of the line runs at now.
    uint32_t baud() const { return baud_; }
    const TrafficStats& stats() const { return stats_; }

private:
    enum class Action { AtReply, PowerOn, LoaderStart, LoaderAnswer };
    struct Scheduled {
        Time due;
        Action action;
        AtAnswer reply;
        uint8_t answer = 0;
    };

    bool busy() const { return scheduled_ && scheduled_->action != Action::AtReply; }
    void schedule(Time delay, Action action, AtAnswer reply = {}, uint8_t answer = 0);
    void fire(const Scheduled& s);
    void handle(uint8_t byte);
    void firmwareByte(uint8_t byte);
    void bootByte(uint8_t byte);
    void loaderByte(uint8_t byte);
    void execute(const LoaderCommand& command);
    void readBlock(const LoaderCommand& command);
    bool acceptSegment(const LoaderCommand& command);
    bool refusedByFault(const LoaderCommand& command);
    void finish();
    void send(QByteArrayView bytes);
    void sendAck(QByteArrayView tail = {});
    void log(const QString& text) const;

    PhoneSettings settings_;
    FlashStore* flash_;
    std::function<void(const QString&)> log_;

    PhoneMode mode_ = PhoneMode::Firmware;
    uint32_t baud_ = kFirmwareBaud;
    Time now_{};
    std::optional<Scheduled> scheduled_;
    QByteArray backlog_;  // bytes that arrived while the phone was busy with a timed step
    std::vector<Outgoing> output_;
    TrafficStats stats_;

    AtLineCollector atLine_;
    BootCode boot_;
    LoaderCommandParser parser_;
    bool awaitingReadAck_ = false;
    bool greetingLogged_ = false;  // the host greets many times; one log line is enough

    // Fault bookkeeping, over the life of the engine.
    int64_t loaderBytes_ = 0;
    bool silent_ = false;
    bool readReplied_ = false;
    int segmentCount_ = 0;
    int refusalsLeft_ = 0;
    bool corrupted_ = false;  // the segment to store wrongly has been stored
    uint32_t refusedAddress_ = 0;
    uint32_t refusedLength_ = 0;
};

}  // namespace qv::emu
