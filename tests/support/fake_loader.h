#pragma once
// The phone on the other end of a FakeSerialDevice, scripted: its boot code answers the
// greeting and takes the loader, and the started loader answers the speed switch, reads, write
// segments, the end of write and finish from a memory of its own, as the real one does.
#include "link/loader_protocol.h"
#include "support/fake_serial_device.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace qvtest {

class FakeLoader {
public:
    using Bytes = std::vector<uint8_t>;
    enum class Stage { Boot, Upload, Starting, Loader };

    // Answers what `dev` is given from now on. Starts as the loader, already running.
    explicit FakeLoader(FakeSerialDevice& dev, Stage stage = Stage::Loader) : stage(stage) {
        dev.phone = [this](FakeSerialDevice& d, const Bytes& w) { take(d, w); };
    }

    Stage stage;
    int silentGreetings = 0;          // greetings the boot code lets pass before it answers
    Bytes bootAnswer = {qv::kBootAnswer};
    Bytes announcement = {qv::kLoaderAck, 1, 2, 3};  // once the image is in; empty: the loader never starts
    int refusals = 0;                 // write segments still to be answered '?'
    uint8_t unwritten = 0xFF;         // what a read gives where nothing was written
    std::map<uint32_t, uint8_t> memory;
    std::vector<std::pair<uint32_t, uint32_t>> segments;  // address and length, as taken
    int endsOfWrite = 0;
    bool finished = false;

    // What the phone makes of bytes the program wrote; a test's own script may call it too.
    void take(FakeSerialDevice& d, const Bytes& written) {
        for (uint8_t b : written) takeByte(d, b);
    }

private:
    void takeByte(FakeSerialDevice& d, uint8_t b) {
        switch (stage) {
        case Stage::Boot:
            if (b == qv::kBootGreeting && ++greetings_ > silentGreetings) {
                d.answer(bootAnswer);
                stage = Stage::Upload;
            }
            return;
        case Stage::Upload:
            if (uploaded_ == 0 && b == qv::kBootGreeting) return;  // greeted again before the answer was read
            if (++uploaded_ < int(qv::kBootHeader.size()) + qv::kLoaderImageSize) return;
            d.answerAfterClear(announcement);
            stage = Stage::Starting;
            return;
        case Stage::Starting:
            if (b == qv::kLoaderAck) stage = Stage::Loader;
            return;
        case Stage::Loader: break;
        }
        if (pending_.empty() && (b == qv::kCommandPadding || b == qv::kLoaderAck)) return;  // ignored, or a read taken
        pending_.push_back(b);
        runCommand(d);
    }

    static bool knownSpeedCode(uint8_t code) {
        for (const auto& known : qv::kLoaderSpeedCodes)
            if (known.code == code) return true;
        return false;
    }

    uint32_t field(size_t at) const {
        return uint32_t(pending_[at]) << 24 | uint32_t(pending_[at + 1]) << 16 | uint32_t(pending_[at + 2]) << 8 |
               pending_[at + 3];
    }

    void runCommand(FakeSerialDevice& d) {
        switch (pending_[0]) {
        case qv::kCommandFinish: finished = true; break;
        case qv::kCommandSpeedSwitch:
            if (pending_.size() < 2) return;
            d.answer({knownSpeedCode(pending_[1]) ? qv::kLoaderAck : uint8_t('?')});
            break;
        case qv::kCommandRead: {
            if (pending_.size() < 9) return;
            Bytes data;
            for (uint32_t a = field(1), n = field(5); n > 0; ++a, --n) {
                const auto it = memory.find(a);
                data.push_back(it == memory.end() ? unwritten : it->second);
            }
            data.resize(data.size() + qv::kReadTrailerSize, 0);
            d.answer(data);
            break;
        }
        case qv::kCommandWrite:
            if (pending_.size() < 9) return;
            if (field(1) == 0 && field(5) == 0) {
                ++endsOfWrite;
                d.answer({qv::kLoaderAck});
                break;
            }
            if (pending_.size() < 9 + field(5) + 2) return;
            segments.emplace_back(field(1), field(5));
            if (refusals > 0) {
                --refusals;
                d.answerAfterClear({'?'});
                break;
            }
            for (uint32_t i = 0; i < field(5); ++i) memory[field(1) + i] = pending_[9 + i];
            d.answerAfterClear({qv::kLoaderAck});
            break;
        default: break;  // a byte the loader does not know: ignored
        }
        pending_.clear();
    }

    int greetings_ = 0;
    int uploaded_ = 0;
    Bytes pending_;
};

}  // namespace qvtest
