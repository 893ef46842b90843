#pragma once
// A serial device in memory: records what the program writes and answers through a script,
// so the wire bytes and log lines can be checked exactly.
#include "link/serial_device.h"

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
    bool failOpen = false, failTimeouts = false;
    bool opened = false;
    int openCount = 0;
    // The cable is pulled: every read, write and status call fails and lost() says why.
    bool gone = false;
    // Called on every wait for input (a test's watchdog against a caller that polls for ever).
    std::function<void()> onPoll;

    void answer(std::initializer_list<uint8_t> bytes) { input_.insert(input_.end(), bytes); }
    void answer(const std::vector<uint8_t>& bytes) { input_.insert(input_.end(), bytes.begin(), bytes.end()); }
    // Answers that arrive after the program's next purge of its input (a phone that takes a
    // moment to answer).
    void answerAfterClear(std::initializer_list<uint8_t> bytes) { later_.insert(later_.end(), bytes); }
    size_t pendingInput() const { return input_.size(); }

    bool open(const std::string&, bool) override {
        if (failOpen) return false;
        opened = true;
        ++openCount;
        return true;
    }
    bool isOpen() const override { return opened; }
    long long handleNumber() const override { return opened ? 7 : -1; }
    bool close() override {
        const bool was = opened;
        opened = false;
        return was;
    }
    bool readSettings(qv::LineSettings& s) override { return opened && (s = settings_, true); }
    bool applySettings(const qv::LineSettings& s) override {
        appliedSettings.push_back(s);
        settings_ = s;
        return opened;
    }
    bool readTimeouts(qv::Timeouts& t) override { return opened && (t = timeouts_, true); }
    bool applyTimeouts(const qv::Timeouts& t) override {
        timeouts_ = t;
        return opened && !failTimeouts;
    }
    bool setQueueSizes(uint32_t, uint32_t) override { return opened; }
    bool readEventMask(uint32_t& m) override { return opened && (m = 1, true); }
    bool setEventMask(uint32_t) override { return opened; }
    int inputCount() override { return opened && !gone ? int(input_.size()) : -1; }
    bool waitForInput(int) override {
        if (onPoll) onPoll();
        return !gone && !input_.empty();
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
    bool purge() override {
        input_.clear();
        return opened;
    }
    bool clearInput() override {
        input_.clear();
        input_.insert(input_.end(), later_.begin(), later_.end());
        later_.clear();
        return opened;
    }

private:
    std::deque<uint8_t> input_;
    std::deque<uint8_t> later_;
    qv::LineSettings settings_;
    qv::Timeouts timeouts_;
};

}  // namespace qvtest
