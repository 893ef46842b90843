#pragma once
// A serial device in memory: records what the program writes and answers through a script,
// so the wire bytes and log lines can be checked exactly.
#include "link/serial_device.h"

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

namespace qvtest {

// The bytes of one Read or Write block in a test: the first `n` of a buffer as large as the
// largest block (kept, so that a test can look at what a read brought).
inline std::vector<uint8_t>& blockBuffer() {
    static std::vector<uint8_t> buffer(128000);
    return buffer;
}
inline std::span<uint8_t> block(size_t n) { return std::span<uint8_t>(blockBuffer()).first(n); }


class FakeSerialDevice final : public qv::SerialDevice {
public:
    // Called after every write with the bytes written; may push answers.
    std::function<void(FakeSerialDevice&, const std::vector<uint8_t>&)> phone;
    std::vector<uint8_t> written;
    std::vector<qv::LineSettings> appliedSettings;
    std::vector<qv::SerialConfig> configs;  // every configure, in order
    bool failOpen = false;
    qv::ConfigureStep failAt = qv::ConfigureStep::Done;  // the configure step that fails
    bool opened = false;
    int openCount = 0;
    // The cable is pulled: every read, write and status call fails and lost() says why.
    bool gone = false;
    // Called on every wait for input (a test's watchdog against a caller that polls for ever).
    std::function<void()> onPoll;
    // The link's time in milliseconds (FakeLink gives it to the port): it moves only when the
    // program pauses or waits for input that does not come, so a silent phone costs no real time.
    std::atomic<uint32_t> clockMs{0};

    void answer(std::initializer_list<uint8_t> bytes) { input_.insert(input_.end(), bytes); }
    void answer(const std::vector<uint8_t>& bytes) { input_.insert(input_.end(), bytes.begin(), bytes.end()); }
    // Answers that arrive after the program's next purge of its input (a phone that takes a
    // moment to answer).
    void answerAfterClear(std::initializer_list<uint8_t> bytes) { later_.insert(later_.end(), bytes); }
    void answerAfterClear(const std::vector<uint8_t>& bytes) { later_.insert(later_.end(), bytes.begin(), bytes.end()); }
    size_t pendingInput() const { return input_.size(); }

    bool open(const std::string&, bool) override {
        if (failOpen) return false;
        opened = true;
        ++openCount;
        return true;
    }
    qv::OpenFailure openFailure() const override { return {"No such file or directory", false}; }
    bool isOpen() const override { return opened; }
    long long handleNumber() const override { return opened ? 7 : -1; }
    bool close() override {
        const bool was = opened;
        opened = false;
        return was;
    }
    qv::Configured configure(const qv::SerialConfig& c) override {
        configs.push_back(c);
        appliedSettings.push_back(c.line);
        return {opened ? failAt : qv::ConfigureStep::Timeouts, 1};
    }
    int inputCount() override { return opened && !gone ? int(input_.size()) : -1; }
    bool waitForInput(int ms) override {
        if (onPoll) onPoll();
        if (!gone && !input_.empty()) return true;
        clockMs += uint32_t(ms);
        return false;
    }
    int read(uint8_t* buffer, int wanted) override {
        if (gone) return -1;
        int n = 0;
        while (n < wanted && !input_.empty()) {
            buffer[n++] = input_.front();
            input_.pop_front();
        }
        return n;
    }
    int write(const uint8_t* buffer, int count) override {
        if (!opened || gone) return -1;
        std::vector<uint8_t> bytes(buffer, buffer + count);
        written.insert(written.end(), bytes.begin(), bytes.end());
        if (phone) phone(*this, bytes);
        return count;
    }
    bool lost() const override { return gone; }
    // Only the program's purge of its input lets the later answers in.
    bool purge(qv::Queues queues) override {
        input_.clear();
        if (queues == qv::Queues::Input) {
            input_.insert(input_.end(), later_.begin(), later_.end());
            later_.clear();
        }
        return opened;
    }

private:
    std::deque<uint8_t> input_;
    std::deque<uint8_t> later_;
};

}  // namespace qvtest
