// Reading the demo phone into new service files and writing every item back, through the
// phone emulator pacing bytes at the line rate (11 bits a byte, both directions): how close
// each transfer comes to the time its bytes need on the wire, and where the rest goes.
//
// A plain timing harness: one run of a transfer takes seconds and drives a separate process,
// which does not fit a benchmark loop. Each task runs against a fresh emulator so that its
// traffic counters belong to that task alone. The serial device under the port is wrapped to
// timestamp every write, read, wait and baud change, the port's pauses are timed, and the
// progress texts mark the phases. From that trace each request and its answer are set against
// an ideal line that carries the host's bytes and the phone's answer back to back:
//   elapsed = wire + host idle + phone delay + turnaround latency + stream lag
// where host idle is the time the line stood still because the host had not written yet
// (fixed pauses and its own work), phone delay the emulator's deliberate processing time
// (--start-delay after the loader, --ack-delay after each write segment and the end of write),
// turnaround latency the rest of the time from a request's last byte crossing the line to the
// first answer byte reaching the host, and stream lag what the answer took beyond its own
// bytes' wire time. A slightly negative host idle means the host's next request went out
// while its previous acknowledgement was still on the line.
//
// usage: bench_transfer [--runs N] [--baud B] [--ack-delay MS] [--start-delay MS] [--usb-latency-ms MS]
//                       [--strings N] [--write all|strings] [--backup] [--no-verify] [--emu PATH]
//                       [--keep DIR] [--trace] [--log]
// --usb-latency-ms puts a USB serial adapter between the host and the phone (the emulator's
// option of that name). --strings N reads a model with N strings (the full model's first N, and
// the usual pictures) instead of the demo model. --write strings writes every string instead of
// every item; --backup keeps the phone's old bytes first; --no-verify skips the read-back.
// --log turns the debug log on (written to the working folder, the scratch folder here), as a
// user who keeps it on would run the transfer.
#include "demo_model/demo_model.h"
#include "editors/item_views.h"
#include "session/phone_read_task.h"
#include "session/phone_write_task.h"
#include "session/progress_texts.h"
#include "files/workspace.h"
#include "link/at_exchange.h"
#include "link/debug_log.h"
#include "link/loader_commands.h"
#include "link/loader_upload.h"
#include "link/phone_link.h"
#include "base/language_table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace qv;
using Clock = std::chrono::steady_clock;

constexpr double kBitsPerByte = 11.0;
constexpr uint32_t kLoaderBaud = 28800;

double byteMs(uint32_t baud) { return baud == 0 ? 0.0 : kBitsPerByte * 1000.0 / baud; }

// ---------------------------------------------------------------------------------------------
// The trace

struct Event {
    enum Kind { Write, Read, Poll, Pause, Baud, Text, Close } kind;
    double start = 0;  // ms since the trace origin
    double end = 0;
    int bytes = 0;
    uint32_t baud = 0;  // the host's line rate when it happened
    uint8_t first = 0;  // first byte written
    QString text;
};

class Trace {
public:
    Trace() : origin_(Clock::now()) {}
    double now() const { return std::chrono::duration<double, std::milli>(Clock::now() - origin_).count(); }
    void add(Event e) { events_.push_back(std::move(e)); }
    const std::vector<Event>& events() const { return events_; }
    uint32_t baud = 0;

private:
    Clock::time_point origin_;
    std::vector<Event> events_;
};

// The platform's device with every call that moves bytes or waits timed.
class TracingDevice final : public SerialDevice {
public:
    TracingDevice(std::unique_ptr<SerialDevice> inner, Trace& trace) : inner_(std::move(inner)), trace_(trace) {}

    bool open(const std::string& name, bool exclusive) override { return inner_->open(name, exclusive); }
    OpenFailure openFailure() const override { return inner_->openFailure(); }
    bool isOpen() const override { return inner_->isOpen(); }
    long long handleNumber() const override { return inner_->handleNumber(); }
    bool close() override {
        const double t0 = trace_.now();
        const bool ok = inner_->close();
        trace_.add({Event::Close, t0, trace_.now(), 0, trace_.baud, 0, {}});
        return ok;
    }
    Configured configure(const SerialConfig& config) override {
        const double t0 = trace_.now();
        const Configured done = inner_->configure(config);
        if (done.ok()) trace_.baud = config.line.baud;
        trace_.add({Event::Baud, t0, trace_.now(), 0, trace_.baud, 0, {}});
        return done;
    }
    int inputCount() override { return inner_->inputCount(); }
    bool waitForInput(int ms) override {
        const double t0 = trace_.now();
        const bool got = inner_->waitForInput(ms);
        trace_.add({Event::Poll, t0, trace_.now(), got ? 1 : 0, trace_.baud, 0, {}});
        return got;
    }
    int read(uint8_t* buffer, int wanted) override {
        const double t0 = trace_.now();
        const int n = inner_->read(buffer, wanted);
        if (n > 0) trace_.add({Event::Read, t0, trace_.now(), n, trace_.baud, buffer[0], {}});
        return n;
    }
    int write(const uint8_t* buffer, int count) override {
        const double t0 = trace_.now();
        const int n = inner_->write(buffer, count);
        if (n > 0) trace_.add({Event::Write, t0, trace_.now(), n, trace_.baud, buffer[0], {}});
        return n;
    }
    bool purge(Queues queues) override { return inner_->purge(queues); }
    bool lost() const override { return inner_->lost(); }
    std::string lostReason() const override { return inner_->lostReason(); }

private:
    std::unique_ptr<SerialDevice> inner_;
    Trace& trace_;
};

class TracingSink final : public ProgressTexts {
public:
    explicit TracingSink(Trace& trace) : trace_(trace) {}
    void setText(const QString& text) override {
        const double t = trace_.now();
        trace_.add({Event::Text, t, t, 0, trace_.baud, 0, text});
    }
    void setMaximum(int) override {}
    void setPosition(int) override {}
    void setVersionLine(const QString& text, bool) override { version = text; }
    void setButtonCaption(const QString&) override {}
    void showError(const QString& text, const QString&) override { error = text; }
    QString version, error;

private:
    Trace& trace_;
};

// ---------------------------------------------------------------------------------------------
// The emulator

struct ModeBytes {
    uint64_t received = 0, sent = 0;
};

class Emulator {
public:
    bool start(const QString& program, const QStringList& args, QString* error) {
        process_.setProgram(program);
        process_.setArguments(args);
        process_.start();
        if (!process_.waitForStarted(10000) || !process_.waitForReadyRead(10000)) {
            *error = QStringLiteral("%1 did not start: %2").arg(program, process_.errorString());
            return false;
        }
        device_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
        return !device_.isEmpty();
    }
    const QString& device() const { return device_; }

    // Ends the emulator (end of its standard input) and returns its traffic per mode.
    std::map<QString, ModeBytes> stop() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
        std::map<QString, ModeBytes> out;
        static const QRegularExpression line(QStringLiteral("^(\\S.*\\S)\\s+received (\\d+), sent (\\d+)$"),
                                             QRegularExpression::MultilineOption);
        const QString err = QString::fromLocal8Bit(process_.readAllStandardError());
        for (auto m = line.globalMatch(err); m.hasNext();) {
            const auto hit = m.next();
            out[hit.captured(1)] = {hit.captured(2).toULongLong(), hit.captured(3).toULongLong()};
        }
        return out;
    }

private:
    QProcess process_;
    QString device_;
};

// Bytes of the AT reply that reach the pseudo-terminal after the host closed it would greet the
// loader link as noise; a real port drops what arrives while it is closed.
void dropStaleInput(const QString& device) {
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return;
    ::tcflush(fd, TCIFLUSH);
    ::close(fd);
}

// ---------------------------------------------------------------------------------------------
// Analysis

enum Phase { OpenLink, Upload, SpeedSwitch, VersionBlock, Items, EndWrite, ReadBack, Finish, Closing, kPhases };
const char* phaseName(int p) {
    static const char* names[] = {"open loader link", "loader upload",  "speed switch",   "version block",
                                  "items",            "end of write",   "read back",      "finish",
                                  "close and files"};
    return names[p];
}

struct Row {
    double elapsed = 0, wire = 0, hostIdle = 0, pauses = 0, phoneDelay = 0, latency = 0, streamLag = 0;
    int exchanges = 0;
    void add(const Row& r) {
        elapsed += r.elapsed;
        wire += r.wire;
        hostIdle += r.hostIdle;
        pauses += r.pauses;
        phoneDelay += r.phoneDelay;
        latency += r.latency;
        streamLag += r.streamLag;
        exchanges += r.exchanges;
    }
};

struct Interval {
    double from, to;
};

double overlap(const Interval& a, const std::vector<Interval>& set) {
    double sum = 0;
    for (const Interval& b : set) sum += std::max(0.0, std::min(a.to, b.to) - std::max(a.from, b.from));
    return sum;
}

// One request of the host and the phone's answer to it, with the host's acknowledgement of
// the answer when one follows at once (a read's '!', the loader's confirmation).
struct Exchange {
    Phase phase = Upload;
    double reqStart = 0, lineFree = 0;  // first request byte written; last one across the line
    double reqWire = 0, reqIdle = 0;
    uint64_t reqBytes = 0;
    uint8_t command = 0;
    bool answered = false;
    double ansFirst = 0, ansLast = 0, ansByteMs = 0;
    uint64_t ansBytes = 0;
    bool acked = false;
    double ackStart = 0, ackEnd = 0, ackWire = 0;
    double end() const { return acked ? ackEnd : answered ? ansLast : lineFree; }
};

struct Report {
    Row phases[kPhases];
    std::vector<double> turnarounds[kPhases];  // latency of each answered exchange
    double taskStart = 0, firstByte = 0, lastExchangeEnd = 0, taskEnd = 0;
    // Per baud: host bytes and phone bytes.
    std::map<uint32_t, std::pair<uint64_t, uint64_t>> bytesByBaud;
    double wireMs() const {
        double ms = 0;
        for (const auto& [baud, b] : bytesByBaud) ms += double(b.first + b.second) * byteMs(baud);
        return ms;
    }
    double fromFirstByte() const { return taskEnd - firstByte; }
};

struct PhoneTimes {
    double startDelay = 30, ackDelay = 15;
};

Report analyse(const std::vector<Event>& events, double taskStart, double taskEnd, const PhoneTimes& phone,
               const QStringList& itemLabels) {
    Report r;
    r.taskStart = taskStart;
    r.taskEnd = taskEnd;
    std::vector<Exchange> xs;
    std::vector<Interval> idle;   // the line stands still because the host has not written
    std::vector<Interval> pauses;
    Phase phase = Upload;
    double line = 0;              // when the host-to-phone line is free again
    const QString accepted = langText(Text::ResponseAccepted), writingDone = langText(Text::WritingCompleted);

    for (const Event& e : events) {
        switch (e.kind) {
        case Event::Text:
            if (e.text == accepted) phase = SpeedSwitch;
            else if (e.text == writingDone) phase = EndWrite;
            else if (e.text.startsWith(QLatin1String("Checking what was written"))) phase = ReadBack;
            else if (phase < Items && std::any_of(itemLabels.begin(), itemLabels.end(),
                                                   [&](const QString& l) { return e.text.startsWith(l); }))
                phase = Items;
            break;
        case Event::Baud:
            if (phase == SpeedSwitch && e.baud != kLoaderBaud) phase = VersionBlock;
            break;
        case Event::Pause: pauses.push_back({e.start, e.end}); break;
        case Event::Write: {
            const double bt = byteMs(e.baud);
            r.bytesByBaud[e.baud].first += uint64_t(e.bytes);
            Exchange* x = xs.empty() ? nullptr : &xs.back();
            if (x && x->answered && !x->acked && e.bytes == 1 && e.first == 0x21) {
                // The acknowledgement of the answer just received.
                x->acked = true;
                x->ackStart = e.start;
                idle.push_back({x->ansLast, e.start});
                line = std::max(line, e.start) + bt;
                x->ackEnd = line;
                x->ackWire = bt;
                break;
            }
            if (!x || x->answered) {
                Exchange n;
                n.phase = phase;
                n.reqStart = e.start;
                n.command = e.first;
                if (x) idle.push_back({x->end(), e.start});
                xs.push_back(n);
                x = &xs.back();
            } else if (e.start > line) {
                x->reqIdle += e.start - line;
                idle.push_back({line, e.start});
            }
            line = std::max(line, e.start) + bt * e.bytes;
            x->lineFree = line;
            x->reqWire += bt * e.bytes;
            x->reqBytes += uint64_t(e.bytes);
            break;
        }
        case Event::Read: {
            r.bytesByBaud[e.baud].second += uint64_t(e.bytes);
            if (xs.empty()) break;
            Exchange& x = xs.back();
            if (!x.answered) {
                x.answered = true;
                x.ansFirst = e.end;
                x.ansByteMs = byteMs(e.baud);
            }
            x.ansLast = e.end;
            x.ansBytes += uint64_t(e.bytes);
            break;
        }
        default: break;
        }
    }
    // The last request that nothing answers (the loader's finish command).
    if (!xs.empty() && !xs.back().answered) xs.back().phase = Finish;
    if (xs.empty()) return r;
    r.firstByte = xs.front().reqStart;
    r.lastExchangeEnd = xs.back().end();

    r.phases[OpenLink].elapsed = r.firstByte - taskStart;
    r.phases[OpenLink].hostIdle = r.phases[OpenLink].elapsed;
    r.phases[OpenLink].pauses = overlap({taskStart, r.firstByte}, pauses);
    r.phases[Closing].elapsed = taskEnd - r.lastExchangeEnd;
    r.phases[Closing].hostIdle = r.phases[Closing].elapsed;
    r.phases[Closing].pauses = overlap({r.lastExchangeEnd, taskEnd}, pauses);

    double previousEnd = r.firstByte;
    for (const Exchange& x : xs) {
        Row row;
        row.exchanges = 1;
        const double gap = x.reqStart - previousEnd;
        row.elapsed = x.end() - previousEnd;
        row.wire = x.reqWire + x.ackWire + double(x.ansBytes) * x.ansByteMs;
        row.hostIdle = gap + x.reqIdle + (x.acked ? std::max(0.0, x.ackStart - x.ansLast) : 0.0);
        if (x.answered) {
            const bool segment = x.command == 0x57;  // a write segment or the end of write
            row.phoneDelay = x.command == kBootHeader[0] ? phone.startDelay : segment ? phone.ackDelay : 0;
            row.latency = x.ansFirst - x.lineFree - x.ansByteMs - row.phoneDelay;
            row.streamLag = (x.ansLast - x.ansFirst) - double(x.ansBytes - 1) * x.ansByteMs;
            r.turnarounds[x.phase].push_back(row.latency);
        }
        r.phases[x.phase].add(row);
        previousEnd = x.end();
    }
    // Pauses that the line had to wait for, by phase: a pause inside an exchange belongs to it,
    // one in the gap after an exchange to the request that follows.
    for (const Interval& p : pauses) {
        if (p.from < r.firstByte || p.from >= r.lastExchangeEnd) continue;
        size_t k = 0;
        while (k + 1 < xs.size() && xs[k + 1].reqStart < p.to) ++k;
        if (p.to > xs[k].end() && k + 1 < xs.size()) ++k;
        r.phases[xs[k].phase].pauses += overlap(p, idle);
    }
    return r;
}

// ---------------------------------------------------------------------------------------------
// Running a task

struct Options {
    int runs = 1;
    uint32_t baud = 115200;
    int ackDelay = 15;
    int startDelay = 30;
    int usbLatencyMs = 0;
    int strings = 0;  // 0: the demo model as it is
    bool writeStringsOnly = false;
    bool backup = false;
    bool verify = true;
    QString emu;
    QString keep;
    bool trace = false;
    bool log = false;
};

struct TaskResult {
    bool ok = false;
    QString error;
    Report report;
    std::map<QString, ModeBytes> stats;
};

// Starts an emulator on the model's dumps, presses the end key as a task start does (without
// its long wait), runs `body` on this thread, and stops the emulator.
template <typename Body>
TaskResult runTask(const Options& o, const DemoModel& model, const QByteArray& loader, const QStringList& itemLabels,
                   Body body) {
    TaskResult out;
    Emulator emu;
    const QStringList args = {"--dump1", model.dump1, "--dump2", model.dump2, "--throttle", "--stats",
                              "--boot-delay", "0", "--start-delay", QString::number(o.startDelay),
                              "--ack-delay", QString::number(o.ackDelay), "--exit-on-stdin-eof",
                              "--usb-latency-ms", QString::number(o.usbLatencyMs)};
    if (!emu.start(o.emu, args, &out.error)) return out;

    Trace trace;
    PhoneLink link;
    link.port = SerialPort(std::make_unique<TracingDevice>(createPlatformSerialDevice(), trace));
    link.port.setSleeper([&trace](int ms) {
        const double t0 = trace.now();
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        trace.add({Event::Pause, t0, trace.now(), ms, trace.baud, 0, {}});
    });
    TracingSink sink(trace);
    link.progress = &sink;
    link.portName = emu.device();
    link.loaderImage = loader;
    link.workingSpeed = o.baud;

    AtExchange at(link);
    at.getPhoneState(kKeypadEndKey);
    link.port.close();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the phone switches off and boots
    dropStaleInput(emu.device());
    link.task.renewCancel();

    const size_t firstEvent = trace.events().size();
    const double start = trace.now();
    const Result rc = body(link);
    const double end = trace.now();
    link.port.close();
    out.stats = emu.stop();
    if (!rc) {
        out.error = QStringLiteral("the task ended with %1: %2").arg(int(rc.code())).arg(rc.message());
        return out;
    }
    const std::vector<Event> events(trace.events().begin() + ptrdiff_t(firstEvent), trace.events().end());
    if (o.trace) {
        for (const Event& e : events) {
            static const char* kinds[] = {"write", "read", "poll", "pause", "baud", "text", "close"};
            std::printf("  %10.3f %8.3f %-5s %6d %6u 0x%02x %s\n", e.start, e.end - e.start, kinds[e.kind], e.bytes,
                        e.baud, e.first, qPrintable(e.text));
        }
    }
    PhoneTimes phone{double(o.startDelay), double(o.ackDelay)};
    out.report = analyse(events, start, end, phone, itemLabels);
    out.ok = true;
    return out;
}

QString thousands(double v, int decimals = 0) {
    QString s = QString::number(v, 'f', decimals);
    const int dot = decimals > 0 ? int(s.indexOf('.')) : int(s.size());
    for (int i = dot - 3; i > (s.startsWith('-') ? 1 : 0); i -= 3) s.insert(i, ',');
    return s;
}

void printReport(const char* title, const TaskResult& t, const Options& o, double goal) {
    const Report& r = t.report;
    const double total = r.fromFirstByte();
    const double wire = r.wireMs();
    std::printf("\n%s at %s baud (loader upload at %s)\n", title, qPrintable(thousands(o.baud)),
                qPrintable(thousands(kLoaderBaud)));
    std::printf("  task body                 %9.1f ms  (with opening the loader link)\n", r.taskEnd - r.taskStart);
    std::printf("  from the first loader byte %8.1f ms  <- total\n", total);
    for (const auto& [baud, b] : r.bytesByBaud)
        std::printf("  wire at %7s baud       %9.1f ms  (host %s B + phone %s B)\n", qPrintable(thousands(baud)),
                    double(b.first + b.second) * byteMs(baud), qPrintable(thousands(double(b.first))),
                    qPrintable(thousands(double(b.second))));
    std::printf("  wire time                 %9.1f ms\n", wire);
    std::printf("  ratio total / wire        %9.3f     (goal <= %.2f: %s)\n", total / wire, goal,
                total / wire <= goal ? "met" : "missed");
    std::printf("  emulator counts:");
    for (const auto& [mode, b] : t.stats)
        std::printf("  %s %llu in / %llu out;", qPrintable(mode), static_cast<unsigned long long>(b.received),
                    static_cast<unsigned long long>(b.sent));
    std::printf("\n");
    std::printf("  %-18s %6s %9s %9s %9s %8s %9s %9s %9s %9s\n", "phase (ms)", "xchg", "elapsed", "wire", "host idle",
                "pauses", "phone", "turnaround", "stream", "excess");
    Row sum;
    for (int p = 0; p < kPhases; ++p) {
        const Row& row = r.phases[p];
        if (row.elapsed <= 0 && row.exchanges == 0) continue;
        std::printf("  %-18s %6d %9.1f %9.1f %9.1f %8.1f %9.1f %9.1f %9.1f %9.1f\n", phaseName(p), row.exchanges,
                    row.elapsed, row.wire, row.hostIdle, row.pauses, row.phoneDelay, row.latency, row.streamLag,
                    row.elapsed - row.wire);
        if (p != OpenLink) sum.add(row);
    }
    std::printf("  %-18s %6d %9.1f %9.1f %9.1f %8.1f %9.1f %9.1f %9.1f %9.1f\n", "total (no open)", sum.exchanges,
                sum.elapsed, sum.wire, sum.hostIdle, sum.pauses, sum.phoneDelay, sum.latency, sum.streamLag,
                sum.elapsed - sum.wire);
    std::vector<double> items = r.turnarounds[Items];
    std::sort(items.begin(), items.end());
    if (!items.empty())
        std::printf("  turnaround of the %zu item exchanges: min %.2f, median %.2f, max %.2f ms\n", items.size(),
                    items.front(), items[items.size() / 2], items.back());
    std::fflush(stdout);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int fail(const QString& why) {
    std::fprintf(stderr, "bench_transfer: %s\n", qPrintable(why));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Options o;
    o.emu = QDir(QCoreApplication::applicationDirPath()).filePath("quorvanta-phone-emu");
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool more = i + 1 < args.size();
        if (a == "--runs" && more) o.runs = std::max(1, args[++i].toInt());
        else if (a == "--baud" && more) o.baud = args[++i].toUInt();
        else if (a == "--ack-delay" && more) o.ackDelay = args[++i].toInt();
        else if (a == "--start-delay" && more) o.startDelay = args[++i].toInt();
        else if (a == "--usb-latency-ms" && more) o.usbLatencyMs = args[++i].toInt();
        else if (a == "--strings" && more) o.strings = std::max(1, args[++i].toInt());
        else if (a == "--write" && more) o.writeStringsOnly = args[++i] == QLatin1String("strings");
        else if (a == "--backup") o.backup = true;
        else if (a == "--no-verify") o.verify = false;
        else if (a == "--emu" && more) o.emu = args[++i];
        else if (a == "--keep" && more) o.keep = args[++i];
        else if (a == "--trace") o.trace = true;
        else if (a == "--log") o.log = true;
        else
            return fail(QStringLiteral("unknown argument %1 (usage: bench_transfer [--runs N] [--baud B] "
                                       "[--ack-delay MS] [--start-delay MS] [--usb-latency-ms MS] [--strings N] "
                                       "[--write all|strings] [--backup] [--no-verify] [--emu PATH] [--keep DIR] "
                                       "[--trace] [--log])")
                            .arg(a));
    }
    if (!QFile::exists(o.emu)) return fail(QStringLiteral("no emulator at %1 (build quorvanta-phone-emu)").arg(o.emu));

    QTemporaryDir scratch;
    const QString folder = o.keep.isEmpty() ? scratch.path() : o.keep;
    QByteArray loader;
    {
        const QString path = QDir(folder).filePath("loader.bin");
        QDir().mkpath(folder);
        if (QProcess::execute(o.emu, {"--write-loader", path}) != 0) return fail("the emulator wrote no loader");
        Expected<QByteArray> loaded = loadLoaderImage(path);
        if (!loaded) return fail(loaded.error().message());
        loader = std::move(*loaded);
    }

    if (o.log) {
        QDir::setCurrent(folder);
        setDebugLogEnabled(true);
    }

    const QStringList readLabels = {langText(Text::ReadingPictures), langText(Text::ReadingMelodies), langText(Text::ReadingOperatorsList), langText(Text::ReadingStrings)};
    const QStringList writeLabels = {langText(Text::WritingPictures), langText(Text::WritingMelodies), langText(Text::WritingOperatorsList), langText(Text::WritingStrings)};
    std::vector<double> readRatios, writeRatios;
    for (int run = 0; run < o.runs; ++run) {
        DemoModelOptions mo;
        mo.phoneType = 5;
        auto model = makeDemoModel(folder, mo);
        if (!model) return fail(model.error().message());
        const int usualPictures = model->pictures;
        if (o.strings > 0) {
            // The full model's dumps, read only as far as its first N strings and the usual
            // number of pictures.
            mo.fullTables = true;
            model = makeDemoModel(folder, mo);
            if (!model) return fail(model.error().message());
            model->pictures = usualPictures;
            model->strings = std::min(model->strings, o.strings);
        }
        if (run == 0)
            std::printf("demo model, phone type 5: %d pictures, %d melodies, %d operators, %d strings; "
                        "emulator --throttle --ack-delay %d --start-delay %d --usb-latency-ms %d\n",
                        model->pictures, model->melodies, model->operators, model->strings, o.ackDelay, o.startDelay,
                        o.usbLatencyMs);

        Workspace ws;
        if (Result s = ws.open(model->tableFile); !s) return fail(s.message());
        ws.image().entry(kPictureTable).count = uint32_t(model->pictures);
        ws.image().entry(kStringTable).count = uint32_t(model->strings);
        const TaskResult read = runTask(o, *model, loader, readLabels, [&](PhoneLink& link) {
            link.versionAddress = ws.image().directory.versionAddress;
            return readPhoneIntoServiceFile(link, ws);
        });
        if (!read.ok) return fail(QStringLiteral("read: ") + read.error);
        // Behind a USB adapter the goal allows for its latency; on a native port the read runs
        // within 5 % of its wire time.
        printReport("read the whole phone", read, o, o.usbLatencyMs > 0 ? 1.20 : 1.05);
        readRatios.push_back(read.report.fromFirstByte() / read.report.wireMs());

        if (Result s = loadOperatorRecords(ws); !s) return fail(s.message());
        for (ListKind k : {ListKind::Pictures, ListKind::Melodies, ListKind::Operators, ListKind::Strings}) {
            auto& ticks = ws.ticks(k);
            std::fill(ticks.begin(), ticks.end(), !o.writeStringsOnly || k == ListKind::Strings);
        }
        const QString backup = o.backup ? QDir(folder).filePath("backup.flp") : QString();
        const TaskResult write = runTask(o, *model, loader, writeLabels, [&](PhoneLink& link) {
            link.versionAddress = ws.image().directory.versionAddress;
            return writeTickedItems(link, ws, backup, o.verify);
        });
        if (!write.ok) return fail(QStringLiteral("write: ") + write.error);
        printReport(o.writeStringsOnly ? "write every string" : "write every item", write, o, 1.25);
        writeRatios.push_back(write.report.fromFirstByte() / write.report.wireMs());
    }
    if (o.runs > 1)
        std::printf("\nmedian ratio over %d runs: read %.3f, write %.3f\n", o.runs, median(readRatios),
                    median(writeRatios));
    return 0;
}
