// phone info (and the transfer commands).
#include "cli/cli_command.h"
#include "cli/phone_session.h"

#include <QJsonObject>

namespace qv::cli {
namespace {

QJsonValue info(const Args& a) {
    PhoneSession session(a);
    const ResultCode rc = session.runInfo();
    const QJsonObject shown{{"model", session.at.shownModel()}, {"version", session.at.shownVersion()}};
    if (rc != rcOk) {
        printJson(shown);
        failWith(rc);
    }
    return shown;
}

QJsonValue phone(const Args& a) {
    const QString what = a.positional(0);
    if (what == "info") {
        a.requireCount(1, 1);
        return info(a);
    }
    throw UsageError("phone needs one of: info");
}

}  // namespace

std::vector<Command> phoneCommands() {
    return {
        {"phone", "info [--port NAME]",
         "Reads the phone's model and software version by AT commands, as the Info dialog does.", kPhoneOptions, {},
         phone},
    };
}

}  // namespace qv::cli
