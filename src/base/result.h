#pragma once
// The outcome of every operation: a result code and, where the code alone does not say
// enough, a detail for the user that names the file, the row or the step. The codes are the
// phone link's one-byte results; their numbers and messages are what users know.
#include <QString>
#include <cstdint>
#include <utility>

namespace qv {

enum class ResultCode : uint8_t {
    Ok = 0,
    Aborted = 1,
    InvalidFileName = 2,
    CantOpenFile = 3,
    FileTooLarge = 4,
    NotEnoughMemory = 5,
    FileReadError = 6,
    FileWriteError = 7,
    WrongComSettings = 8,
    ComInitFailed = 9,
    CantOpenCom = 10,
    CantSetTimeouts = 11,
    CantReadComState = 12,
    CantSetComState = 13,
    CantSetComBuffer = 14,
    CantSetComMask = 15,
    NoResponse = 16,
    ComWriteFailed = 17,
    ComReadFailed = 18,
    InvalidResponse = 19,
    ComCloseError = 20,
    CantReadVersion = 21,
    PhoneNotAnswering = 22,
    // 23 has no name of its own; it shows "Unknown Error" like every code past 22.
    NoAnswerYet = 24,  // AT exchange: keep polling, never shown as a failure
    Timeout = 25,
    // The bytes read back after a write are not those written. The language table has no
    // text for it; its message is kWriteNotVerifiedMessage.
    WriteNotVerified = 26,
    // A failure that only its detail describes (a file that cannot be read, a refused edit).
    Failed = 27,
    // The program's own failures, past the phone's. Like Failed they are shown by their detail
    // (without one, "Unknown Error"); the code lets a caller tell them apart.
    Refused = 28,   // a name or an input not used as it is: not a regular file, read-only, reserved
    Damaged = 29,   // a file that is not what it claims: cut short, corrupt, pointing outside itself
    TooLarge = 30,  // more than the program ever holds: a section, an item, a patch record
    InUse = 31,     // another process holds the service file
    DiskError = 32, // the system refused to read, write, flush or rename
    NotFound = 33,  // no such file
    // A save whose new data file is in place but whose table file is not: the next open of the
    // service file completes it.
    Unfinished = 34,
    UnsupportedFormat = 35,  // a picture format or an image kind the program does not read or write
};

inline constexpr char kWriteNotVerifiedMessage[] = "The phone does not hold what was written";

// The message from the language table at the time of the call; bit 7 is ignored.
QString resultMessage(ResultCode code);

class Result {
public:
    Result() = default;
    // Every code is a result of its own; a detail is added where the code says too little.
    Result(ResultCode code) : code_(code) {}  // NOLINT(google-explicit-constructor)
    Result(ResultCode code, QString detail) : code_(code), detail_(std::move(detail)) {}
    static Result failure(QString detail) { return Result(ResultCode::Failed, std::move(detail)); }

    bool ok() const { return code_ == ResultCode::Ok; }
    explicit operator bool() const { return ok(); }
    bool aborted() const { return code_ == ResultCode::Aborted; }
    ResultCode code() const { return code_; }
    const QString& detail() const { return detail_; }
    // What the user is shown: the detail, or the code's message when there is none.
    QString message() const { return detail_.isEmpty() ? resultMessage(code_) : detail_; }

    friend bool operator==(const Result& result, ResultCode code) { return result.code_ == code; }

private:
    ResultCode code_ = ResultCode::Ok;
    QString detail_;
};

}  // namespace qv
