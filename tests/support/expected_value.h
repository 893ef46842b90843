#pragma once
// The value of an Expected in a test: a failure fails the test, naming why, and gives an
// empty value so that the checks after it fail too rather than crash.
#include "base/expected.h"

#include <gtest/gtest.h>

namespace qvtest {

template <typename T>
T valueOf(qv::Expected<T> got) {
    EXPECT_TRUE(got.has_value()) << got.error().message().toStdString();
    return got ? std::move(*got) : T();
}

}  // namespace qvtest
