#pragma once
// What the end-to-end tests share: the demo model with its dumps, the emulated phone as a
// separate program on a pseudo-terminal, the command-line tool, and an in-process phone
// session (link, worker, progress) for tests that must press Cancel at a precise moment.
#include "cli/program_run.h"
#include "files/workspace.h"
#include "session/phone_session.h"
#include "session/progress_texts.h"
#include "session/session_parts.h"
#include "support/test_support.h"

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <array>
#include <condition_variable>
#include <string>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace e2e {

// The demo model, made once per test program: its table file as generated (no data file),
// the same table file with the data file that the flash dump import builds, the two dumps and
// the loader file the emulated phone accepts.
struct Demo {
    QString tableFile;   // no data file beside it
    QString builtTable;  // built.sav, with built.mem from the dump import
    QString dump1, dump2;
    QString loaderFile;
    int pictures = 0, melodies = 0, operators = 0, strings = 0;
};
const Demo& demo();

// Copies `from` to `to` (overwriting); fails the test on error.
void copyFile(const QString& from, const QString& to);
// The demo's dumps copied into `dir` as phone_1.bif / phone_2.bif.
struct Dumps {
    QString dump1, dump2;
};
Dumps copyDumps(const qvtest::ScratchDir& dir);
// The built table file and its data file copied into `dir` under `base`.sav / `base`.mem.
QString copyBuiltPair(const qvtest::ScratchDir& dir, const QString& base);

// The demo's built service file in a scratch folder with rows of its data file edited (their
// bytes inverted) and ticked, and the phone's dumps as they are and as they must become once
// every ticked row is written.
struct EditedRows {
    qvtest::ScratchDir dir;
    Dumps dumps = copyDumps(dir);
    QString table = copyBuiltPair(dir, "edit");
    qv::Workspace ws;
    std::array<QByteArray, 2> before, after;

    // Each a table id and a row; the pictures and strings.
    bool edit(const std::vector<std::pair<int, int>>& rows);
    std::array<QByteArray, 2> dumpsNow() const { return {qvtest::readAll(dumps.dump1), qvtest::readAll(dumps.dump2)}; }
    // Whether the bytes of a picture row in `now` are those in `like`.
    bool pictureIs(const std::array<QByteArray, 2>& now, int row, const std::array<QByteArray, 2>& like) const;
    std::vector<int> ticked(qv::ListKind kind);
};

// Where a table address lies in the dumps: the top byte picks the dump, the rest is the offset.
struct DumpPlace {
    int dump;  // 0 or 1
    qsizetype offset;
};
DumpPlace placeOf(uint32_t tableAddress);

// "identical" or where and how two byte arrays first differ, for failure messages.
std::string firstDifference(const QByteArray& a, const QByteArray& b);

// The phone: quorvanta-phone-emu with the given dumps. Always verbose (its log goes to a file
// the test can watch) and stopped by closing its standard input.
class PhoneEmulator {
public:
    PhoneEmulator(const qvtest::ScratchDir& dir, const Dumps& dumps);
    ~PhoneEmulator();

    // Starts it with a short boot delay; `extra` may override it. False when it did not print
    // its device path.
    bool start(const QStringList& extra = {});
    const QString& device() const { return device_; }

    QByteArray log() const;
    int count(const QByteArray& needle) const { return int(log().count(needle)); }
    // Waits until the log holds `needle` at least `times` times.
    bool waitForLog(const QByteArray& needle, int times = 1, int ms = 10000) const;
    // Closes its standard input and waits; the exit code, or -1 when it had to be killed.
    int stop();

private:
    QString logPath_;
    Dumps dumps_;
    QString device_;
    std::unique_ptr<QProcess> process_;
};

// quorvanta-cli run to its end.
using CliRun = qvtest::ProgramRun;
inline CliRun runCli(const QStringList& args, const QString& cwd = {}) { return qvtest::cli(args, cwd); }
inline QJsonObject jsonOf(const CliRun& run) { return run.json().object(); }
inline std::string why(const CliRun& run) { return run.err.toStdString(); }
// The phone options every phone command of these tests takes.
QStringList phoneOptions(const PhoneEmulator& emu);

// The progress dialog as the tests see it: every text, the bar and error boxes. A gate can hold
// the worker at the first bar update that matches, so that the test thread presses Cancel at
// exactly that moment.
class RecordingSink final : public qv::ProgressTexts {
public:
    using GateCondition = std::function<bool(const QString& text, int maximum, int position)>;

    void setText(const QString& text) override;
    void setMaximum(int maximum) override;
    void setPosition(int position) override;
    void setVersionLine(const QString&, bool) override {}
    void setButtonCaption(const QString&) override {}
    void showError(const QString& text, const QString& caption) override;

    QStringList texts() const;
    QString lastText() const;
    QStringList errors() const;
    bool waitForText(const QString& text, int ms) const;

    void armGate(GateCondition when);
    bool waitForGate(int ms);
    void releaseGate();

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    QStringList texts_, errors_;
    int maximum_ = 100;
    GateCondition gate_;
    bool gateHit_ = false, gateOpen_ = false;
};

// One phone conversation in this process, through the session both front ends use, with the
// device and speed of the test (no key lock, a 50 ms keypad pause).
class LinkSession {
public:
    explicit LinkSession(bool showProgress = true);
    ~LinkSession();

    void startRead(qv::Workspace& ws, const QString& device, uint32_t baud);
    // Verifies what it wrote; `backup` empty: no backup patch.
    void startWrite(qv::Workspace& ws, const QString& backup, const QString& device, uint32_t baud);
    void startRestore(QIODevice& patch, const QString& device, uint32_t baud);
    // The task's result, or nothing if it has not ended within `ms`.
    std::optional<qv::ResultCode> waitForEnd(int ms = 20000);
    std::optional<qv::ResultCode> read(qv::Workspace& ws, const QString& device, uint32_t baud) {
        startRead(ws, device, baud);
        return waitForEnd();
    }
    std::optional<qv::ResultCode> write(qv::Workspace& ws, const QString& backup, const QString& device, uint32_t baud) {
        startWrite(ws, backup, device, baud);
        return waitForEnd();
    }
    // The progress dialog's Cancel button.
    void cancel() { phone.cancel(); }
    // Whether the task body left the port open when it ended.
    bool portOpenAtEnd() const;

    RecordingSink bar;  // outlives the session, which reports to it until its worker stops
    qv::PhoneSession phone;
    qv::PhoneLink& link = qv::PhoneSessionProbe::parts(phone).link;

private:
    qv::TaskStartSettings startOn(const QString& device, uint32_t baud);

    mutable std::mutex mutex_;
    std::condition_variable ended_;
    std::optional<qv::ResultCode> result_;
    bool portOpenAtEnd_ = false;
};

}  // namespace e2e
