#include "base/result.h"

#include "base/language_table.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

class ResultMessage : public ::testing::Test {
protected:
    void TearDown() override { qv::languageTable().loadDefaults(); }
};

TEST_F(ResultMessage, DefaultTexts) {
    const std::pair<int, const char*> cases[] = {
        {int(qv::ResultCode::Ok), "No Error. Operation succedeed."},
        {int(qv::ResultCode::Aborted), "Operation Aborted"},
        {int(qv::ResultCode::CantSetTimeouts), "Can not setup timeouts"},
        {int(qv::ResultCode::PhoneNotAnswering), "Can not receive a response from the phone. May be it is turned off."},
        {23, "Unknown Error"},
        {int(qv::ResultCode::NoAnswerYet), "Unknown Error"},
        {int(qv::ResultCode::Timeout), "Unknown Error"},
        {int(qv::ResultCode::Failed), "Unknown Error"},
        {int(qv::ResultCode::Refused), "Unknown Error"},
        {int(qv::ResultCode::Unfinished), "Unknown Error"},
        {128, "No Error. Operation succedeed."},
        {139, "Can not setup timeouts"},
        {151, "Unknown Error"},
        {255, "Unknown Error"},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(qv::resultMessage(qv::ResultCode(code)), text) << code;
    // The program's own codes are shown by their detail, as Failed is.
    EXPECT_EQ(qv::Result(qv::ResultCode::InUse, QStringLiteral("m.sav is in use")).message(), "m.sav is in use");
}

TEST_F(ResultMessage, FollowsTheLoadedTable) {
    std::vector<QString> before;
    for (int c = 0; c < 256; ++c) before.push_back(qv::resultMessage(qv::ResultCode(c)));

    qvtest::ScratchDir dir;
    qvtest::writeAll(dir.path("language.ini"), "[Language]\n034=Port busy\n");
    qv::languageTable().load(dir.path());

    for (int c = 0; c < 256; ++c) {
        const QString now = qv::resultMessage(qv::ResultCode(c));
        const QString expected = (c & 0x7F) == int(qv::ResultCode::CantOpenCom) ? QStringLiteral("Port busy") : before[c];
        EXPECT_EQ(now, expected) << c;
    }
}

}  // namespace
