#include "phone_emu/at_firmware.h"

namespace qv::emu {

namespace {

const QByteArray kCrLf("\r\n");
const QByteArray kOk("\r\nOK\r\n");
const QByteArray kError("\r\nERROR\r\n");

// Keys are the quoted strings of the keypad commands; "e" stands for the end key.
bool pressesEndKey(QByteArrayView line) {
    bool inQuotes = false;
    for (char c : line) {
        if (c == '"') inQuotes = !inQuotes;
        else if (inQuotes && c == 'e') return true;
    }
    return false;
}

}  // namespace

AtAnswer answerAtCommand(QByteArrayView line, const PhoneSettings& settings) {
    if (settings.faults.atError) return {kError};
    const QByteArray upper = line.toByteArray().toUpper();
    if (upper == "AT%SWV") return {'[' + settings.version + ']' + kCrLf + kOk};
    if (upper == "AT+CGMM") return {settings.model + kCrLf + kOk};
    if (upper.startsWith("AT%FKPD=")) return {kOk, pressesEndKey(line)};
    return {kError};
}

std::optional<QByteArray> AtLineCollector::feed(char byte) {
    if (byte == '\n') return std::nullopt;
    if (byte != '\r') {
        if (line_.size() < kMaxLine) line_.append(byte);
        return std::nullopt;
    }
    if (line_.isEmpty()) return std::nullopt;
    QByteArray line = std::move(line_);
    line_.clear();
    return line;
}

}  // namespace qv::emu
