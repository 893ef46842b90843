// AT replies, the Info exchange and the worker's outcome texts.
#include "base/language_table.h"
#include "link/at_exchange.h"
#include "link/comm_thread.h"
#include "link/fake_serial_device.h"

#include <gtest/gtest.h>
#include <thread>

using namespace qv;
using namespace qvtest;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes bytesOf(const char* text) { return Bytes(text, text + strlen(text)); }

struct AtFixture : ::testing::Test {
    AtFixture() {
        auto owned = std::make_unique<FakeSerialDevice>();
        dev = owned.get();
        link.port = SerialPort(std::move(owned));
        link.port.setSleeper([](int) {});
        link.portName = "ttyFAKE";
        dev->opened = true;
    }
    FakeSerialDevice* dev;
    PhoneLink link;
    AtExchange at{link};
};

TEST_F(AtFixture, RepliesCompleteOnlyWithOkOrErrorAndTheirLineBreak) {
    dev->answer(bytesOf("OK\r\n"));
    EXPECT_EQ(at.readReply(), ResultCode::NoAnswerYet);  // four characters are not enough
    AtExchange fresh(link);
    dev->answer(bytesOf("\r\nOK"));
    EXPECT_EQ(fresh.readReply(), ResultCode::NoAnswerYet);
    dev->answer(bytesOf("\r\n"));
    EXPECT_EQ(fresh.readReply(), ResultCode::Ok);
    EXPECT_EQ(fresh.completeReply(), QByteArray("\r\nOK\r\n"));

    AtExchange failing(link);
    dev->answer(bytesOf("AT\r\r\nERROR\r\n"));
    EXPECT_EQ(failing.readReply(), ResultCode::Ok);
    EXPECT_TRUE(failing.completeReply().isEmpty());
}

TEST(AtValues, ModelAndVersionAreCutAfterTheEcho) {
    EXPECT_EQ(cutModel("AT+CGMM\r\r\nXY-100\r\n\r\nOK\r\n"), " XY-100");
    EXPECT_EQ(cutVersion("AT%SWV\r\r\n[V10a]\r\n\r\nOK\r\n"), " V10a");
    EXPECT_EQ(cutModel("XY-100\r\n\r\nOK\r\n"), "");           // no echo
    EXPECT_EQ(cutVersion("AT%SWV\r\r\n[V10a]"), "");             // no closing line break
}

TEST_F(AtFixture, KeypadCommandGoesOutWithCrLf) {
    ASSERT_EQ(at.getPhoneState(kKeypadEndKey), ResultCode::Ok);
    EXPECT_EQ(dev->written, bytesOf("AT%FKPD=\"e\",100,0\r\r\n"));
}

TEST_F(AtFixture, InfoRequestLearnsVersionAndModel) {
    dev->phone = [](FakeSerialDevice& d, const Bytes& w) {
        const std::string cmd(w.begin(), w.end());
        if (cmd == "AT%SWV\r\r\n") d.answer(bytesOf("AT%SWV\r\r\n[V10a]\r\n\r\nOK\r\n"));
        if (cmd == "AT+CGMM\r\r\n") d.answer(bytesOf("AT+CGMM\r\r\nQV-100\r\n\r\nOK\r\n"));
    };
    at.startInfoRequest();
    for (int i = 0; i < 20 && at.driverState() != kAtInactive; ++i) at.driverPass();
    EXPECT_EQ(at.shownVersion(), " V10a");
    EXPECT_EQ(at.shownModel(), " QV-100");
}

TEST_F(AtFixture, SilentPhoneTimesOutWithNotAvailable) {
    uint32_t now = 0;
    link.port.clock() = TimeoutClock([&] { return now; });
    at.startInfoRequest();
    for (int i = 0; i < 10 && at.driverState() != kAtInactive; ++i) {
        at.driverPass();
        now += 500;
    }
    EXPECT_EQ(at.driverState(), kAtInactive);
    EXPECT_EQ(at.shownModel(), "N/A");
    EXPECT_EQ(at.shownVersion(), "N/A");
    EXPECT_EQ(at.lastFailure(), ResultCode::Timeout);
}

class RecordingSink : public ProgressSink {
public:
    void setText(const QString& t) override { text = t; }
    void setMaximum(int) override {}
    void setPosition(int) override {}
    void setVersionLine(const QString&, bool) override {}
    void setButtonCaption(const QString& c) override { caption = c; }
    void showError(const QString& t, const QString& c) override { errors.push_back(c + t); }
    QString text, caption;
    std::vector<QString> errors;
};

TEST_F(AtFixture, WorkerTurnsResultsIntoFinalTextsAndOneErrorBox) {
    RecordingSink sink;
    link.progress = &sink;
    PhoneWorker worker(link, at);
    std::atomic<int> runs{0};
    ResultCode next = ResultCode::Ok;
    worker.setTaskBody(kTaskWriteItems, [&] {
        ++runs;
        return next;
    });
    std::atomic<bool> ended{false};
    worker.onTaskEnded = [&](ResultCode) { ended = true; };
    worker.start();
    auto run = [&](ResultCode r) {
        next = r;
        ended = false;
        link.task.setTaskCode(kTaskWriteItems);
        while (!ended) std::this_thread::yield();
    };
    run(ResultCode::Ok);
    EXPECT_EQ(sink.text, "Operation completed.");
    EXPECT_EQ(sink.caption, "Close");
    EXPECT_TRUE(sink.errors.empty());
    run(ResultCode::CantSetComState);
    EXPECT_EQ(sink.text, "Error occured!");
    ASSERT_EQ(sink.errors.size(), 1u);
    EXPECT_EQ(sink.errors[0], "Error :Can not set COM port state");
    run(ResultCode::Aborted);
    EXPECT_EQ(sink.text, "Operation aborted.");

    // A body that reports success after the user cancelled still ends as aborted.
    worker.setTaskBody(kTaskWriteItems, [&] {
        link.task.setAbortSignal();
        return ResultCode::Ok;
    });
    run(ResultCode::Ok);
    EXPECT_EQ(sink.text, "Operation aborted.");

    // Reserved and unknown codes never run a task.
    const int before = runs;
    for (uint8_t code : {4, 5, 9, 12}) link.task.setTaskCode(code);
    link.task.setTaskCode(kTaskIdle);
    EXPECT_EQ(runs.load(), before);
    worker.stop();
}

}  // namespace
