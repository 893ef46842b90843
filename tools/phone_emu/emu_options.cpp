#include "phone_emu/emu_options.h"

#include "base/command_line.h"

#include <QCommandLineParser>
#include <QHash>
#include <cstdint>
#include <functional>
#include <map>
#include <type_traits>

namespace qv::emu {

namespace {

constexpr int64_t kMaxCount = int64_t(1) << 40;
constexpr int64_t kMaxDelayMs = 3'600'000;

// One option: whether it takes a value, and what it does with it. A value it refuses fails with
// the reason as the detail.
struct Option {
    bool takesValue;
    std::function<Result(const QString& option, const QString& value)> take;
};

Expected<int64_t> number(const QString& option, const QString& text, int64_t min, int64_t max) {
    bool ok = false;
    const qlonglong n = text.toLongLong(&ok);
    if (!ok || n < min || n > max)
        return Result::failure(
            QStringLiteral("%1 takes a number from %2 to %3, not %4").arg(option).arg(min).arg(max).arg(text));
    return int64_t(n);
}

// Keyed by name without the dashes; each writes into `o`.
std::map<QString, Option> optionTable(EmuOptions& o) {
    FaultPlan& f = o.phone.faults;
    const auto text = [](QString& into) {
        return Option{true, [&into](const QString&, const QString& v) {
            into = v;
            return Result();
        }};
    };
    const auto bytes = [](QByteArray& into) {
        return Option{true, [&into](const QString&, const QString& v) {
            into = v.toLatin1();
            return Result();
        }};
    };
    const auto flag = [](bool& into) {
        return Option{false, [&into](const QString&, const QString&) {
            into = true;
            return Result();
        }};
    };
    const auto delay = [](Time& into) {
        return Option{true, [&into](const QString& opt, const QString& v) {
            const auto n = number(opt, v, 0, kMaxDelayMs);
            if (n) into = milliseconds(*n);
            return n.error();
        }};
    };
    const auto byteOfSegment = [](SegmentByte& into) {
        return Option{true, [&into](const QString& opt, const QString& v) {
            static const std::map<QString, SegmentByte> names = {
                {"first", SegmentByte::First}, {"middle", SegmentByte::Middle}, {"last", SegmentByte::Last}};
            const auto it = names.find(v);
            if (it == names.end()) return Result::failure(QStringLiteral("%1 takes first, middle or last, not %2").arg(opt, v));
            into = it->second;
            return Result();
        }};
    };
    const auto count = [](auto& into, int64_t min, int64_t max) {
        return Option{true, [&into, min, max](const QString& opt, const QString& v) {
            const auto n = number(opt, v, min, max);
            if (n) into = std::remove_reference_t<decltype(into)>(*n);
            return n.error();
        }};
    };
    return {
        {"model", bytes(o.phone.model)},
        {"version", bytes(o.phone.version)},
        {"boot-delay", delay(o.phone.bootDelay)},
        {"start-delay", delay(o.phone.startDelay)},
        {"ack-delay", delay(o.phone.ackDelay)},
        {"dump1", text(o.dump1)},
        {"dump2", text(o.dump2)},
        {"link", text(o.linkPath)},
        {"write-loader", text(o.writeLoaderPath)},
        {"throttle", flag(o.throttle)},
        {"usb-latency-ms", delay(o.usbLatency)},
        {"verbose", flag(o.verbose)},
        {"stats", flag(o.stats)},
        {"exit-on-stdin-eof", flag(o.exitOnStdinEof)},
        {"help", flag(o.help)},
        {"refuse-segment", count(f.refuseSegment, 1, INT32_MAX)},
        {"refuse-times", count(f.refuseTimes, 1, INT32_MAX)},
        {"corrupt-write-segment", count(f.corruptWriteSegment, 1, INT32_MAX)},
        {"corrupt-write-byte", byteOfSegment(f.corruptWriteByte)},
        {"silent-after", count(f.silentAfter, 0, kMaxCount)},
        {"drop-read-byte", count(f.dropReadByte, 1, kMaxCount)},
        {"garbage-before-ack", count(f.garbageBeforeAck, 0, 65536)},
        {"at-silent", flag(f.atSilent)},
        {"at-error", flag(f.atError)},
    };
}

}  // namespace

Expected<EmuOptions> parseEmuOptions(const QStringList& args) {
    EmuOptions o;
    const std::map<QString, Option> options = optionTable(o);
    QCommandLineParser parser;
    for (const auto& [name, option] : options) parser.addOption({name, {}, option.takesValue ? "VALUE" : QString()});
    if (!parseWords(parser, args)) {
        const CommandLineMistake mistake = mistakeOf(parser, args);
        return Result::failure(mistake.kind == CommandLineMistake::MissingValue
                                   ? QStringLiteral("%1 needs a value").arg(mistake.word)
                                   : QStringLiteral("unknown argument %1").arg(mistake.word));
    }
    if (!parser.positionalArguments().isEmpty())
        return Result::failure(QStringLiteral("unknown argument %1").arg(plain(parser.positionalArguments().first())));
    // In the order given, so that the first wrong value is the one named.
    QHash<QString, int> seen;
    for (const QString& name : parser.optionNames()) {
        const QStringList values = parser.values(name);
        const QString value = values.isEmpty() ? QString() : plain(values.at(seen[name]++));
        if (const Result taken = options.at(name).take("--" + name, value); !taken) return taken;
    }
    if (o.phone.faults.atSilent && o.phone.faults.atError)
        return Result::failure(QStringLiteral("--at-silent and --at-error exclude each other"));
    return o;
}

QString emuUsage() {
    return QStringLiteral(
        "usage: quorvanta-phone-emu [options]\n"
        "Plays a phone on a pseudo-terminal; prints the device path as the first line.\n"
        "  --dump1 PATH --dump2 PATH   flash dump files (table addresses 0x01xxxxxx / others)\n"
        "  --model TEXT --version TEXT answers to AT+CGMM and AT%SWV (QV-100, V10a)\n"
        "  --boot-delay MS             end key to boot code (300)\n"
        "  --start-delay MS            loader received to its first '!' (30)\n"
        "  --ack-delay MS              before answering a write (15)\n"
        "  --link PATH                 symlink to the device\n"
        "  --throttle                  pace bytes at the simulated line rate\n"
        "  --usb-latency-ms N          the host sits behind a USB adapter: whole 62-byte packets,\n"
        "                              a partial one N ms after its first byte (0: a native port)\n"
        "  --exit-on-stdin-eof         also stop when standard input ends\n"
        "  --verbose                   log to standard error\n"
        "  --stats                     bytes per mode to standard error at exit\n"
        "  --write-loader PATH         write the accepted loader image and exit\n"
        "faults (counted over the emulator's life):\n"
        "  --refuse-segment N [--refuse-times K]  answer '?' to the N-th write segment\n"
        "  --corrupt-write-segment N   acknowledge the N-th write segment but store one byte wrong\n"
        "  --corrupt-write-byte WHICH  that byte: first, middle (the default) or last\n"
        "  --silent-after N            no answer after N bytes in loader mode\n"
        "  --drop-read-byte N          lose the N-th data byte of the first read\n"
        "  --garbage-before-ack N      N bytes 0x55 before every '!' of the loader\n"
        "  --at-silent | --at-error    firmware deaf, or ERROR to everything\n");
}

}  // namespace qv::emu
