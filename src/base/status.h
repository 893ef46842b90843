#pragma once
// Outcome of a file or workspace operation: success, or a message for the user that names
// the file and the fault.
#include <QString>
#include <utility>

namespace qv {

class Status {
public:
    Status() = default;
    static Status failure(QString message) { return Status(std::move(message)); }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const QString& message() const { return message_; }

private:
    explicit Status(QString message) : failed_(true), message_(std::move(message)) {}
    bool failed_ = false;
    QString message_;
};

}  // namespace qv
