#include "base/expected.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace {

using qv::Expected;
using qv::Result;
using qv::ResultCode;

TEST(Expected, AFailureKeepsItsCodeAndDetailAndHasNoValue) {
    const Expected<int> failed = Result(ResultCode::FileReadError, QStringLiteral("a.bmp: cut short"));
    EXPECT_FALSE(failed);
    EXPECT_FALSE(failed.has_value());
    EXPECT_TRUE(failed.error() == ResultCode::FileReadError);
    EXPECT_EQ(failed.error().message(), "a.bmp: cut short");
    EXPECT_THROW((void)failed.value(), std::bad_optional_access);
}

TEST(Expected, AValueComesWithAnOkResultAndCanBeMovedOut) {
    Expected<std::unique_ptr<int>> made = std::make_unique<int>(7);
    ASSERT_TRUE(made);
    EXPECT_TRUE(made.error().ok());
    EXPECT_EQ(**made, 7);
    const std::unique_ptr<int> taken = *std::move(made);
    EXPECT_EQ(*taken, 7);
}

}  // namespace
