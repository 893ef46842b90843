#pragma once
// A value, or the failed Result that says why there is none: what std::expected<T, Result>
// would be, which C++20 does not have yet.
#include "base/result.h"

#include <QtGlobal>
#include <optional>
#include <utility>

namespace qv {

template <typename T>
class Expected {
public:
    Expected(T value) : value_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
    // Only a failure: an ok Result with no value would leave the caller with nothing to read.
    Expected(Result error) : error_(std::move(error)) { Q_ASSERT(!error_.ok()); }  // NOLINT(google-explicit-constructor)

    bool has_value() const { return value_.has_value(); }
    explicit operator bool() const { return has_value(); }

    // Unchecked, as for std::optional; value() throws std::bad_optional_access instead.
    const T& operator*() const& { return *value_; }
    T& operator*() & { return *value_; }
    T&& operator*() && { return *std::move(value_); }
    const T* operator->() const { return &*value_; }
    T* operator->() { return &*value_; }
    const T& value() const& { return value_.value(); }
    T& value() & { return value_.value(); }
    T&& value() && { return std::move(value_).value(); }

    // Ok when there is a value.
    const Result& error() const { return error_; }

private:
    std::optional<T> value_;
    Result error_;
};

}  // namespace qv
