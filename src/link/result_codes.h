#pragma once
// The one-byte outcome of every phone-link operation: 0 success, 1 aborted by the user,
// anything else a failure with a message of its own.
#include <QString>
#include <cstdint>

namespace qv {

using ResultCode = uint8_t;

inline constexpr ResultCode rcOk = 0;
inline constexpr ResultCode rcAborted = 1;
inline constexpr ResultCode rcInvalidFileName = 2;
inline constexpr ResultCode rcCantOpenFile = 3;
inline constexpr ResultCode rcFileTooLarge = 4;
inline constexpr ResultCode rcNotEnoughMemory = 5;
inline constexpr ResultCode rcFileReadError = 6;
inline constexpr ResultCode rcFileWriteError = 7;
inline constexpr ResultCode rcWrongComSettings = 8;
inline constexpr ResultCode rcComInitFailed = 9;
inline constexpr ResultCode rcCantOpenCom = 10;
inline constexpr ResultCode rcCantSetTimeouts = 11;
inline constexpr ResultCode rcCantReadComState = 12;
inline constexpr ResultCode rcCantSetComState = 13;
inline constexpr ResultCode rcCantSetComBuffer = 14;
inline constexpr ResultCode rcCantSetComMask = 15;
inline constexpr ResultCode rcNoResponse = 16;
inline constexpr ResultCode rcComWriteFailed = 17;
inline constexpr ResultCode rcComReadFailed = 18;
inline constexpr ResultCode rcInvalidResponse = 19;
inline constexpr ResultCode rcComCloseError = 20;
inline constexpr ResultCode rcCantReadVersion = 21;
inline constexpr ResultCode rcPhoneNotAnswering = 22;
// 23 has no name of its own; it shows "Unknown Error" like every code past 22.
inline constexpr ResultCode rcNoAnswerYet = 24;  // AT layer: keep polling, never shown as a failure
inline constexpr ResultCode rcTimeout = 25;
// The bytes read back after a write are not those written. The language table has no text for
// it; its message is kWriteNotVerifiedMessage.
inline constexpr ResultCode rcWriteNotVerified = 26;
inline constexpr char kWriteNotVerifiedMessage[] = "The phone does not hold what was written";

// The message from the language table at the time of the call; bit 7 is ignored.
QString resultMessage(ResultCode code);

}  // namespace qv
