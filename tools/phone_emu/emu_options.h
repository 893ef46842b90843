#pragma once
// The emulator's command line.
#include "base/expected.h"
#include "phone_emu/phone_settings.h"

#include <QString>
#include <QStringList>

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

// `args` without the program name. A bad command line fails with the reason as its detail.
Expected<EmuOptions> parseEmuOptions(const QStringList& args);
QString emuUsage();

}  // namespace qv::emu
