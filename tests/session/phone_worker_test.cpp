// The worker: the outcome of a task in the progress texts, and what a task start refuses.
#include "support/fake_link.h"
#include "session/phone_worker.h"
#include "session/progress_texts.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

using namespace qv;
using namespace qvtest;
using namespace std::chrono_literals;

namespace {

using Rig = FakeLink;

struct WorkerFixture : ::testing::Test, FakeLink {
    AtExchange at{link};
};

class RecordingSink : public ProgressTexts {
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

TEST_F(WorkerFixture, TurnsResultsIntoFinalTextsAndOneErrorBox) {
    RecordingSink sink;
    link.progress = &sink;
    PhoneWorker worker(link, at);
    std::atomic<int> runs{0};
    ResultCode next = ResultCode::Ok;
    worker.setTaskBody(WorkerTask::WriteItems, [&] {
        ++runs;
        return next;
    });
    std::atomic<bool> ended{false};
    worker.onTaskEnded = [&](const Result&) { ended = true; };
    worker.start();
    auto run = [&](ResultCode r) {
        next = r;
        ended = false;
        worker.taskState().setTask(WorkerTask::WriteItems);
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
    worker.setTaskBody(WorkerTask::WriteItems, [&] {
        worker.requestCancel();
        return ResultCode::Ok;
    });
    run(ResultCode::Ok);
    EXPECT_EQ(sink.text, "Operation aborted.");

    worker.stop();
}

class ErrorSink final : public ProgressTexts {
public:
    void setText(const QString&) override {}
    void setMaximum(int) override {}
    void setPosition(int) override {}
    void setVersionLine(const QString&, bool) override {}
    void setButtonCaption(const QString&) override {}
    void showError(const QString& text, const QString&) override { errors.append(text); }
    QStringList errors;
};

TEST(TaskStart, RefusesASpeedWithoutACodeBeforeThePhoneIsCalled) {
    Rig rig;
    FakeSerialDevice* dev = rig.dev;
    dev->opened = false;
    PhoneLink* link = &rig.link;
    ErrorSink sink;
    link->progress = &sink;
    AtExchange at(*link);
    PhoneWorker worker(*link, at);
    worker.taskState().setTask(WorkerTask::Idle);
    bool bodyRan = false;
    worker.setTaskBody(WorkerTask::WriteItems, [&] {
        bodyRan = true;
        return ResultCode::Ok;
    });
    std::atomic<int> result{-1};  // -1: the worker never reported
    worker.onTaskEnded = [&](const Result& r) { result = int(r.code()); };
    worker.start();
    startTask(*link, at, worker, WorkerTask::WriteItems, {"ttyFAKE", 57600, false, 0, {}});
    for (int i = 0; i < 500 && worker.busy(); ++i) std::this_thread::sleep_for(10ms);
    worker.stop();
    EXPECT_EQ(result.load(), int(ResultCode::WrongComSettings));
    EXPECT_FALSE(bodyRan);
    EXPECT_EQ(dev->openCount, 0) << "the keypad command went out";
    ASSERT_EQ(sink.errors.size(), 1);
    EXPECT_TRUE(sink.errors[0].contains("57600")) << sink.errors[0].toStdString();
}

}  // namespace
