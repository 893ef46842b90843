#pragma once
// The phone's normal firmware as seen on the serial line: command lines ended by CR, and the
// answers to the few commands a service tool uses.
#include "phone_emu/phone_settings.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace qv::emu {

struct AtAnswer {
    QByteArray text;
    bool endKeyPressed = false;  // the phone switches itself off after answering
};

// The answer to one command line (without its CR).
AtAnswer answerAtCommand(QByteArrayView line, const PhoneSettings& settings);

// Cuts the received bytes into command lines. A host ends its commands with CR CR LF, so LF is
// dropped and an empty line is no command.
class AtLineCollector {
public:
    std::optional<QByteArray> feed(char byte);
    void reset() { line_.clear(); }

private:
    static constexpr int kMaxLine = 1024;
    QByteArray line_;
};

}  // namespace qv::emu
