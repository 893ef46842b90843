// A cable pulled at every step of a loader conversation, a phone that never boots or whose
// loader never starts, and transfer speeds the loader has no code for.
#include "link/comm_thread.h"
#include "link/fake_serial_device.h"
#include "link/loader_commands.h"
#include "link/loader_upload.h"
#include "link/phone_link.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <thread>

using namespace qv;
using namespace qvtest;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<uint8_t>;

// A link on a device in memory; its pauses only add up what they would have slept.
struct Rig {
    Rig() {
        auto owned = std::make_unique<FakeSerialDevice>();
        dev = owned.get();
        link = std::make_unique<PhoneLink>();
        link->port = SerialPort(std::move(owned));
        link->port.setSleeper([this](int ms) { sleptMs += ms; });
        link->portName = "ttyFAKE";
        link->task.setTaskCode(kTaskWriteItems);
        link->loaderImage = QByteArray(kLoaderImageSize, '\x5A');
        // A caller that keeps polling a dead or silent port is stopped as the user would:
        // with Cancel. Without this a hanging step would hang the test instead of failing it.
        dev->onPoll = [this] {
            if (++polls == pollLimit) link->task.setAbortSignal();
        };
    }
    FakeSerialDevice* dev;
    std::unique_ptr<PhoneLink> link;
    long long sleptMs = 0;
    long long polls = 0, pollLimit = 200000;
};

// The boot code: 'C' to the first greeting; the loader announces itself after its last chunk.
void bootingPhone(FakeSerialDevice& d, const Bytes& w) {
    if (w.size() == 1 && w[0] == 0x45) d.answer({0x43});
    if (w.size() == 972) d.answerAfterClear({0x21, 1, 2, 3});
}

TEST(PulledCable, AtAnyStepTheTaskEndsWithThePortsFailureNotAsAborted) {
    struct Case {
        const char* step;
        bool uploads;  // the step is part of the loader upload; otherwise the port is open already
        bool boots;    // the boot code answers and the loader starts
        // Pulls the cable when the program has written `w` (the n-th write since the start).
        std::function<bool(const Bytes& w, int n)> pullAt;
        std::function<ResultCode(PhoneLink&)> run;
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
         [](PhoneLink& l) { return readBlock(l, 4096, 0x01000000); }, ResultCode::ComReadFailed},
        {"writing a block", false, false, [](const Bytes& w, int) { return w.size() == 9; },
         [](PhoneLink& l) { return writeBlock(l, 4096, 0x01000000); }, ResultCode::ComWriteFailed},
        {"ending the writes", false, false, [](const Bytes&, int n) { return n == 5; }, endOfWrite, ResultCode::ComReadFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        Rig rig;
        FakeSerialDevice& d = *rig.dev;
        PhoneLink& link = *rig.link;
        link.workingSpeed = 115200;
        if (!c.uploads) {
            ASSERT_EQ(link.port.open("ttyFAKE"), ResultCode::Ok);
        }
        int writes = 0;
        long long pulledAtPoll = -1;
        d.phone = [&](FakeSerialDevice& dd, const Bytes& w) {
            if (c.boots) bootingPhone(dd, w);
            if (c.pullAt(w, ++writes)) {
                dd.gone = true;
                pulledAtPoll = rig.polls;
            }
        };
        const ResultCode r = c.run(link);
        EXPECT_EQ(r, c.expected) << resultMessage(r).toStdString();
        ASSERT_GE(pulledAtPoll, 0) << "the cable was never pulled";
        EXPECT_NE(link.task.taskCode(), kTaskAbort) << "a pulled cable is not the user's Cancel";
        EXPECT_FALSE(link.task.abortSignal()) << "the step kept polling a port that is gone";
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
    PhoneLink* link = rig.link.get();
    long long& sleptMs = rig.sleptMs;
    int greetings = 0;
    dev->phone = [&](FakeSerialDevice& d, const Bytes& w) {
        if (w.size() == 1 && w[0] == 0x45) {
            d.answer({0x00});
            if (++greetings == 50) link->task.setAbortSignal();
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
        {"boot code silent", false, 150ms, ResultCode::PhoneNotAnswering, "boot code did not answer within 0.15 s", 1},
        {"loader never starts", true, 150ms, ResultCode::NoResponse, "loader did not confirm its start within 0.15 s", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        PhoneLink& link = *rig.link;
        int reminders = 0;
        link.bootWait = {c.giveUpAfter, 5ms, [&] { ++reminders; }};
        rig.dev->phone = [&](FakeSerialDevice& d, const Bytes& w) {
            if (c.bootAnswers && w.size() == 1 && w[0] == 0x45) d.answer({0x43});
        };
        // Without a limit: Cancel a while after the reminder. Otherwise only after very long.
        long long afterReminder = 0;
        rig.dev->onPoll = [&] {
            const bool cancel = c.giveUpAfter == 0ms ? reminders > 0 && ++afterReminder == 20000 : ++rig.polls == 5'000'000;
            if (cancel) link.task.setAbortSignal();
        };
        EXPECT_EQ(uploadLoader(link), c.expected);
        EXPECT_TRUE(link.failureDetail.contains(QString::fromLatin1(c.detail))) << link.failureDetail.toStdString();
        EXPECT_EQ(reminders, c.reminders);
        EXPECT_NE(link.task.taskCode(), kTaskAbort);
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

class ErrorSink final : public ProgressSink {
public:
    void setText(const QString&) override {}
    void setMaximum(int) override {}
    void setPosition(int) override {}
    void setVersionLine(const QString&, bool) override {}
    void setButtonCaption(const QString&) override {}
    void showError(const QString& text, const QString&) override { errors.append(text); }
    QStringList errors;
};

TEST(LoaderSpeeds, TheTaskStartRefusesASpeedWithoutACodeBeforeThePhoneIsCalled) {
    Rig rig;
    FakeSerialDevice* dev = rig.dev;
    PhoneLink* link = rig.link.get();
    ErrorSink sink;
    link->progress = &sink;
    link->task.setTaskCode(kTaskIdle);
    AtExchange at(*link);
    PhoneWorker worker(*link, at);
    bool bodyRan = false;
    worker.setTaskBody(kTaskWriteItems, [&] {
        bodyRan = true;
        return ResultCode::Ok;
    });
    std::atomic<int> result{-1};  // -1: the worker never reported
    worker.onTaskEnded = [&](ResultCode r) { result = int(r); };
    worker.start();
    startTask(*link, at, worker, kTaskWriteItems, {"ttyFAKE", 57600, false, 0, {}});
    for (int i = 0; i < 500 && worker.busy(); ++i) std::this_thread::sleep_for(10ms);
    worker.stop();
    EXPECT_EQ(result.load(), int(ResultCode::WrongComSettings));
    EXPECT_FALSE(bodyRan);
    EXPECT_EQ(dev->openCount, 0) << "the keypad command went out";
    ASSERT_EQ(sink.errors.size(), 1);
    EXPECT_TRUE(sink.errors[0].contains("57600")) << sink.errors[0].toStdString();
}

}  // namespace
