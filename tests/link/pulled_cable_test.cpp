// A cable pulled at every step of a loader conversation, a phone that never boots or whose
// loader never starts, and transfer speeds the loader has no code for.
#include "link/loader_commands.h"
#include "link/loader_upload.h"
#include "support/fake_link.h"
#include "support/fake_loader.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <chrono>
#include <climits>

using namespace qv;
using namespace qvtest;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<uint8_t>;

// A link on a device in memory and on its time.
struct Rig : FakeLink {
    Rig() {
        dev->opened = false;
        // A caller that keeps polling a dead or silent port is stopped as the user would:
        // with Cancel. Without this a hanging step would hang the test instead of failing it.
        dev->onPoll = [this] {
            if (++polls == pollLimit) link.task.requestStop();
        };
    }
    long long polls = 0, pollLimit = 200000;
};

TEST(PulledCable, AtAnyStepTheTaskEndsWithThePortsFailureNotAsAborted) {
    struct Case {
        const char* step;
        bool uploads;  // the step is part of the loader upload; otherwise the port is open already
        bool boots;    // the boot code answers and the loader starts
        // Pulls the cable when the program has written `w` (the n-th write since the start).
        std::function<bool(const Bytes& w, int n)> pullAt;
        std::function<Result(PhoneLink&)> run;
        ResultCode expected;
    };
    const Case cases[] = {
        {"greeting the boot code", true, false, [](const Bytes&, int n) { return n == 3; }, uploadLoader, ResultCode::ComReadFailed},
        {"sending the loader", true, true, [](const Bytes& w, int) { return w.size() == 1024; }, uploadLoader,
         ResultCode::ComWriteFailed},
        {"waiting for the loader's confirmation", true, true, [](const Bytes& w, int) { return w.size() == 972; },
         uploadLoader, ResultCode::ComReadFailed},
        {"switching the speed", false, false, [](const Bytes& w, int) { return w == Bytes{0x53}; }, speedSwitch,
         ResultCode::ComWriteFailed},
        {"reading a block", false, false, [](const Bytes&, int n) { return n == 9; },
         [](PhoneLink& l) { return readBlock(l, 0x01000000, block(4096)); }, ResultCode::ComReadFailed},
        {"writing a block", false, false, [](const Bytes& w, int) { return w.size() == 9; },
         [](PhoneLink& l) { return writeBlock(l, 0x01000000, block(4096)); }, ResultCode::ComWriteFailed},
        {"ending the writes", false, false, [](const Bytes&, int n) { return n == 5; }, endOfWrite, ResultCode::ComReadFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        Rig rig;
        FakeSerialDevice& d = *rig.dev;
        PhoneLink& link = rig.link;
        link.workingSpeed = 115200;
        FakeLoader phone(d, FakeLoader::Stage::Boot);
        if (!c.uploads) {
            ASSERT_EQ(link.port.open("ttyFAKE"), ResultCode::Ok);
        }
        int writes = 0;
        long long pulledAtPoll = -1;
        d.phone = [&](FakeSerialDevice& dd, const Bytes& w) {
            if (c.boots) phone.take(dd, w);
            if (c.pullAt(w, ++writes)) {
                dd.gone = true;
                pulledAtPoll = rig.polls;
            }
        };
        const Result r = c.run(link);
        EXPECT_EQ(r, c.expected) << r.message().toStdString();
        ASSERT_GE(pulledAtPoll, 0) << "the cable was never pulled";
        EXPECT_FALSE(link.task.cancelled()) << "the step kept polling a port that is gone";
        EXPECT_LE(rig.polls - pulledAtPoll, 3) << "the step kept polling a port that is gone";
        EXPECT_TRUE(link.port.lost());
        // Reopening the port starts afresh.
        d.gone = false;
        ASSERT_EQ(link.port.open("ttyFAKE"), ResultCode::Ok);
        EXPECT_FALSE(link.port.lost());
    }
}

TEST(BootWait, TheGreetingLoopPausesBetweenGreetingsWhateverThePortAnswers) {
    // A port that answers every wait at once with line noise, never with the boot answer.
    Rig rig;
    FakeSerialDevice* dev = rig.dev;
    PhoneLink* link = &rig.link;
    long long& sleptMs = rig.sleptMs;
    int greetings = 0;
    dev->phone = [&](FakeSerialDevice& d, const Bytes& w) {
        if (w.size() == 1 && w[0] == 0x45) {
            d.answer({0x00});
            if (++greetings == 50) link->task.requestStop();
        }
    };
    ASSERT_EQ(link->port.openLoaderLink("ttyFAKE", 28800), ResultCode::Ok);
    sleptMs = 0;
    ASSERT_EQ(uploadLoader(*link), ResultCode::Aborted);
    const long long settling = 100 + 20 + 2;  // the loader link's own pauses when it opens
    EXPECT_GE(sleptMs - settling, 10LL * greetings) << greetings << " greetings";
}

TEST(BootWait, GivesUpOnlyWhenToldAndRemindsOnce) {
    struct Case {
        const char* name;
        bool bootAnswers;
        std::chrono::milliseconds giveUpAfter;
        ResultCode expected;
        const char* detail;
        int reminders;
    };
    const Case cases[] = {
        // The window's way: no limit, Cancel ends it (here the poll limit presses Cancel).
        {"no limit", false, 0ms, ResultCode::Aborted, "", 1},
        {"boot code silent", false, 60s, ResultCode::PhoneNotAnswering, "boot code did not answer within 60 s", 1},
        {"loader never starts", true, 2500ms, ResultCode::NoResponse, "loader did not confirm its start within 2.5 s", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        PhoneLink& link = rig.link;
        int reminders = 0;
        link.bootWait = {c.giveUpAfter, 5s, [&] { ++reminders; }};
        FakeLoader phone(*rig.dev, FakeLoader::Stage::Boot);
        phone.silentGreetings = c.bootAnswers ? 0 : INT_MAX;
        phone.announcement.clear();
        // Without a limit: Cancel a while after the reminder. Otherwise only after very long.
        long long afterReminder = 0;
        rig.dev->onPoll = [&] {
            const bool cancel = c.giveUpAfter == 0ms ? reminders > 0 && ++afterReminder == 20000 : ++rig.polls == 5'000'000;
            if (cancel) link.task.requestStop();
        };
        const Result r = uploadLoader(link);
        EXPECT_EQ(r, c.expected);
        EXPECT_TRUE(r.detail().contains(QString::fromLatin1(c.detail))) << r.detail().toStdString();
        EXPECT_EQ(reminders, c.reminders);
        if (c.giveUpAfter > 0ms) {  // on the link's time, counted from the greeting or the loader's last byte
            EXPECT_GE(rig.dev->clockMs, c.giveUpAfter.count());
            EXPECT_LT(rig.dev->clockMs, c.giveUpAfter.count() + 500);
        }
    }
}

TEST(LoaderSpeeds, OnlySpeedsWithACodeOrTheStartSpeedCanCarryATransfer) {
    const std::pair<uint32_t, bool> cases[] = {
        {9600, true}, {19200, true}, {28800, true}, {38400, true}, {115200, true}, {230400, true},
        {57600, false}, {14400, false}, {460800, false}, {0, false},
    };
    for (const auto& [baud, known] : cases) {
        EXPECT_EQ(loaderKnowsSpeed(baud), known) << baud;
        const QString why = speedRefusal(baud);
        EXPECT_EQ(why.isEmpty(), known) << baud;
        if (!known) {
            EXPECT_TRUE(why.contains(QString::number(baud))) << why.toStdString();
            EXPECT_TRUE(why.contains("9600, 19200, 28800, 38400, 115200, 230400")) << why.toStdString();
        }
    }
}

}  // namespace
