#include "phone_emu/paced_line.h"

#include <gtest/gtest.h>

namespace {

using qv::emu::byteTime;
using qv::emu::PacedLine;
using qv::emu::Time;

constexpr Time us(int64_t n) { return std::chrono::microseconds(n); }

TEST(PacedLine, ThrottledBytesFollowEachOtherAtTheLineRate) {
    PacedLine line(true);
    line.push("abcd", us(1000), 19200);
    EXPECT_EQ(line.releaseDue(us(1000), 0), "") << "the first byte still has to cross";
    EXPECT_EQ(line.releaseDue(us(1000) + byteTime(19200), 0), "a");
    // Released late, in one batch: the due times stay where the wire puts them.
    EXPECT_EQ(line.releaseDue(us(1000) + 3 * byteTime(19200), 0), "bc");
    EXPECT_EQ(*line.headDue(0), us(1000) + 4 * byteTime(19200));
}

TEST(PacedLine, IdleLineStartsAtReadinessAndRatesApplyPerChunk) {
    PacedLine line(true);
    line.push("!", us(0), 28800);
    line.push("xy", us(0), 115200);  // after a speed switch
    EXPECT_EQ(line.releaseDue(us(10'000), 0), "!xy");
    line.push("z", us(50'000), 115200);
    EXPECT_EQ(*line.headDue(0), us(50'000) + byteTime(115200)) << "an idle gap is not caught up";

    // Bytes without a rate go at the rate the line has when they are taken.
    PacedLine in(true);
    in.push("pq", us(0));
    EXPECT_EQ(*in.headDue(9600), byteTime(9600));
    in.pop(byteTime(9600));
    EXPECT_EQ(*in.headDue(230400), byteTime(9600) + byteTime(230400));
}

TEST(PacedLine, UnthrottledBytesAreDueWhenReady) {
    PacedLine line(false);
    line.push(QByteArray(100000, 'x'), us(5), 9600);
    line.push("tail", us(7), 9600);
    EXPECT_EQ(line.releaseDue(us(4), 0), "");
    EXPECT_EQ(line.releaseDue(us(6), 0).size(), 100000);
    EXPECT_EQ(line.releaseDue(us(7), 0), "tail");
    EXPECT_TRUE(line.empty());
}

}  // namespace
