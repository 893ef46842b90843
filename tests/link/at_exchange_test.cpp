// AT replies and the Info exchange.
#include "base/language_table.h"
#include "link/at_exchange.h"
#include "link/log_capture.h"
#include "support/fake_link.h"

#include <gtest/gtest.h>
#include <thread>

using namespace qv;
using namespace qvtest;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes bytesOf(const char* text) { return Bytes(text, text + strlen(text)); }

struct AtFixture : ::testing::Test, FakeLink {
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
    LogCapture log;
    at.startInfoRequest();
    for (int i = 0; i < 20 && at.driverState() != AtDriverState::Inactive; ++i) at.driverPass();
    EXPECT_EQ(at.shownVersion(), " V10a");
    EXPECT_EQ(at.shownModel(), " QV-100");
    // The driver's states go into the debug log under their own names.
    const QStringList messages = log.messages();
    for (const char* state : {"tatStart", "tatReadPending", "tatFinished"})
        EXPECT_TRUE(messages.contains(QString::fromLatin1(state))) << state;
}

TEST_F(AtFixture, SilentPhoneTimesOutWithNotAvailable) {
    at.startInfoRequest();
    for (int i = 0; i < 10 && at.driverState() != AtDriverState::Inactive; ++i) {
        at.driverPass();
        dev->clockMs += 500;
    }
    EXPECT_EQ(at.driverState(), AtDriverState::Inactive);
    EXPECT_EQ(at.shownModel(), "N/A");
    EXPECT_EQ(at.shownVersion(), "N/A");
    EXPECT_EQ(at.lastFailure(), ResultCode::Timeout);
}

}  // namespace
