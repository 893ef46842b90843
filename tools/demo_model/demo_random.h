#pragma once
// A fixed-seed generator: the demo model comes out byte for byte the same on every run.
#include <QByteArray>
#include <cstdint>

namespace qv::demo {

class DemoRandom {
public:
    explicit DemoRandom(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    uint32_t next() {  // xorshift32
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    uint8_t nextByte() { return uint8_t(next() >> 24); }
    QByteArray bytes(int n) {
        QByteArray out(n, '\0');
        for (char& c : out) c = char(nextByte());
        return out;
    }

private:
    uint32_t state_;
};

}  // namespace qv::demo
