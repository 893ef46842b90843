#include "phone_emu/emu_options.h"

#include <gtest/gtest.h>

namespace {

using qv::emu::parseEmuOptions;

TEST(EmuOptions, EveryOptionLandsWhereItBelongs) {
    const auto o = parseEmuOptions(
        {"--model", "M", "--version", "V9", "--boot-delay", "1", "--start-delay", "2", "--ack-delay", "0",
         "--dump1", "a", "--dump2", "b", "--link", "l", "--throttle", "--verbose", "--stats",
         "--exit-on-stdin-eof", "--refuse-segment", "4", "--refuse-times", "3", "--silent-after", "0",
         "--drop-read-byte", "7", "--garbage-before-ack", "5", "--at-error"});
    ASSERT_TRUE(o) << o.error().message().toStdString();
    EXPECT_EQ(o->phone.model, "M");
    EXPECT_EQ(o->phone.version, "V9");
    EXPECT_EQ(o->phone.bootDelay, qv::emu::milliseconds(1));
    EXPECT_EQ(o->phone.startDelay, qv::emu::milliseconds(2));
    EXPECT_EQ(o->phone.ackDelay, qv::emu::milliseconds(0));
    EXPECT_EQ(o->dump1, "a");
    EXPECT_EQ(o->dump2, "b");
    EXPECT_EQ(o->linkPath, "l");
    EXPECT_TRUE(o->throttle && o->verbose && o->stats && o->exitOnStdinEof);
    EXPECT_EQ(o->phone.faults.refuseSegment, 4);
    EXPECT_EQ(o->phone.faults.refuseTimes, 3);
    EXPECT_EQ(o->phone.faults.silentAfter, 0);
    EXPECT_EQ(o->phone.faults.dropReadByte, 7);
    EXPECT_EQ(o->phone.faults.garbageBeforeAck, 5);
    EXPECT_TRUE(o->phone.faults.atError);
    EXPECT_FALSE(o->phone.faults.atSilent);
}

TEST(EmuOptions, ValuesTakeEitherFormAndMistakesAreRefusedNamingTheWordAsTyped) {
    const auto o = parseEmuOptions({"--link", "-", "--model=M2", "--dump1", "--a", "--model", "M3"});
    ASSERT_TRUE(o) << o.error().message().toStdString();
    EXPECT_EQ(o->linkPath, "-");
    EXPECT_EQ(o->dump1, "--a");
    EXPECT_EQ(o->phone.model, "M3");

    // An empty message: refused with a reason, whatever its words.
    const std::pair<QStringList, QString> cases[] = {
        {{"--boot-delay", "-1"}, {}},
        {{"--ack-delay", "soon"}, {}},
        {{"--refuse-segment", "0"}, {}},
        {{"--drop-read-byte", "0"}, {}},
        {{"--refuse-times", "0"}, {}},
        {{"--corrupt-write-byte", "2"}, {}},
        {{"extra"}, {}},
        {{"--at-silent", "--at-error"}, {}},
        {{"--model"}, "--model needs a value"},
        {{"--verbose", "--model"}, "--model needs a value"},
        {{"--frobnicate"}, "unknown argument --frobnicate"},
        {{"--frobnicate=3"}, "unknown argument --frobnicate=3"},
        {{"--verbose=1"}, "unknown argument --verbose=1"},
        {{"-x"}, "unknown argument -x"},
        {{"--stats", "--"}, "unknown argument --"},
        {{"--ack-delay", "5", "--boot-delay", "-1", "--start-delay", "x"},
         "--boot-delay takes a number from 0 to 3600000, not -1"},
    };
    for (const auto& [args, message] : cases) {
        const auto refused = parseEmuOptions(args);
        EXPECT_FALSE(refused) << args.join(' ').toStdString();
        if (message.isEmpty())
            EXPECT_FALSE(refused.error().detail().isEmpty()) << args.join(' ').toStdString();
        else
            EXPECT_EQ(refused.error().message(), message) << args.join(' ').toStdString();
    }
}

}  // namespace
