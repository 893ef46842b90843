// quorvanta-phone-emu: a phone on a pseudo-terminal, for the program's tests and its demo.
#include "phone_emu/emu_options.h"
#include "phone_emu/flash_store.h"
#include "phone_emu/phone_engine.h"
#include "phone_emu/phone_loop.h"
#include "phone_emu/pty_device.h"
#include "phone_emu/stand_in_loader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

using namespace qv::emu;
using qv::Result;

namespace {

int fail(const QString& why) {
    std::fprintf(stderr, "quorvanta-phone-emu: %s\n", qPrintable(why));
    return 1;
}

void printStats(const TrafficStats& stats) {
    for (int m = 0; m < kModeCount; ++m)
        std::fprintf(stderr, "%-9s received %llu, sent %llu\n", modeName(PhoneMode(m)),
                     static_cast<unsigned long long>(stats.received[m]), static_cast<unsigned long long>(stats.sent[m]));
}

Result writeLoader(const QString& path) {
    QFile file(path);
    const QByteArray image = standInLoaderImage();
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(image) == image.size()) return {};
    return Result::failure(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto options = parseEmuOptions(app.arguments().mid(1));
    if (!options) return fail(options.error().message() + QStringLiteral("\n") + emuUsage());
    if (options->help) {
        std::fputs(qPrintable(emuUsage()), stdout);
        return 0;
    }
    if (!options->writeLoaderPath.isEmpty()) {
        const Result written = writeLoader(options->writeLoaderPath);
        return written ? 0 : fail(written.message());
    }

    FlashStore flash;
    if (const Result loaded = flash.load(options->dump1, options->dump2); !loaded) return fail(loaded.message());

    QElapsedTimer clock;
    clock.start();
    std::function<void(const QString&)> log;
    if (options->verbose)
        log = [&clock](const QString& text) {
            std::fprintf(stderr, "[%8.3f] %s\n", double(clock.nsecsElapsed()) / 1e9, qPrintable(text));
        };

    PtyDevice pty;
    if (const Result opened = pty.open(); !opened) return fail(opened.message());
    if (!options->linkPath.isEmpty()) {
        if (const Result linked = pty.link(options->linkPath); !linked) return fail(linked.message());
    }
    // Whoever started us waits for this line before opening the device.
    std::printf("%s\n", qPrintable(pty.slavePath()));
    std::fflush(stdout);

    PhoneEngine engine(options->phone, &flash);
    engine.setLogger(log);
    PhoneLoop loop(pty.masterFd(), &engine, {options->throttle, options->exitOnStdinEof, options->usbLatency}, log);
    const bool clean = loop.run();

    // Flash keeps what was programmed even when the host never said it was done.
    const Result saved = flash.saveChanged();
    if (!saved) std::fprintf(stderr, "quorvanta-phone-emu: %s\n", qPrintable(saved.message()));
    if (options->stats) printStats(engine.stats());
    return clean && saved ? 0 : 1;
}
