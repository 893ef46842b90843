#pragma once
// The emulator's command line.
#include "phone_emu/phone_settings.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace qv::emu {

struct EmuOptions {
    PhoneSettings phone;
    QString dump1;
    QString dump2;
    QString linkPath;
    QString writeLoaderPath;  // write the stand-in loader there and exit
    bool throttle = false;
    Time usbLatency{0};  // the host's USB adapter holds a partial packet back this long
    bool verbose = false;
    bool stats = false;
    bool exitOnStdinEof = false;
    bool help = false;
};

// `args` without the program name. Nothing, and a reason in *error, for a bad command line.
std::optional<EmuOptions> parseEmuOptions(const QStringList& args, QString* error);
QString emuUsage();

}  // namespace qv::emu
