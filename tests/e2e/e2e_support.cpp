#include "e2e/e2e_support.h"

#include "demo_model/demo_model.h"
#include "editors/item_views.h"
#include "phone_emu/stand_in_loader.h"

#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>
#include <chrono>
#include <thread>

namespace e2e {

namespace {

const QString kEmulator = QStringLiteral(QV_BIN_DIR "/quorvanta-phone-emu");

struct DemoFolder {
    qvtest::ScratchDir dir;
    Demo demo;

    DemoFolder() {
        const auto model = qv::makeDemoModel(dir.path(), {});
        if (!model) {
            ADD_FAILURE() << "demo model: " << model.error().message().toStdString();
            return;
        }
        demo.tableFile = model->tableFile;
        demo.dump1 = model->dump1;
        demo.dump2 = model->dump2;
        demo.pictures = model->pictures;
        demo.melodies = model->melodies;
        demo.operators = model->operators;
        demo.strings = model->strings;
        demo.loaderFile = dir.path("loader.bin");
        qvtest::writeAll(demo.loaderFile, qv::emu::standInLoaderImage());
        demo.builtTable = dir.path("built.sav");
        copyFile(demo.tableFile, demo.builtTable);
        const CliRun built = runCli({"build-from-dumps", demo.builtTable, demo.dump1, demo.dump2});
        if (built.code != 0) ADD_FAILURE() << "build-from-dumps: " << built.err.toStdString();
    }
};

}  // namespace

const Demo& demo() {
    static DemoFolder folder;
    return folder.demo;
}

void copyFile(const QString& from, const QString& to) {
    QFile::remove(to);
    if (!QFile::copy(from, to)) ADD_FAILURE() << "cannot copy " << from.toStdString() << " to " << to.toStdString();
    QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

Dumps copyDumps(const qvtest::ScratchDir& dir) {
    Dumps d{dir.path("phone_1.bif"), dir.path("phone_2.bif")};
    copyFile(demo().dump1, d.dump1);
    copyFile(demo().dump2, d.dump2);
    return d;
}

QString copyBuiltPair(const qvtest::ScratchDir& dir, const QString& base) {
    const QString sav = dir.path(base + ".sav");
    copyFile(demo().builtTable, sav);
    QString mem = demo().builtTable;
    mem.chop(4);
    copyFile(mem + ".mem", dir.path(base + ".mem"));
    return sav;
}

bool EditedRows::edit(const std::vector<std::pair<int, int>>& rows) {
    if (!ws.open(table).ok() || !qv::loadOperatorRecords(ws).ok()) return false;
    before = after = dumpsNow();
    for (const auto& [id, row] : rows) {
        qv::Expected<QByteArray> read = ws.readBlob(id, row);
        if (!read || read->isEmpty()) return false;
        QByteArray blob = std::move(*read);
        for (char& c : blob) c = char(~c);
        if (!ws.writeBlob(id, row, blob).ok()) return false;
        const DumpPlace p = placeOf(ws.image().blob(id, row).address);
        after[size_t(p.dump)].replace(p.offset, blob.size(), blob);
        ws.ticks(id == qv::kPictureTable ? qv::ListKind::Pictures : qv::ListKind::Strings)[size_t(row)] = true;
    }
    return ws.dataFile().flush();
}

bool EditedRows::pictureIs(const std::array<QByteArray, 2>& now, int row, const std::array<QByteArray, 2>& like) const {
    const qv::PictEntry& e = ws.image().pictures[size_t(row)];
    const DumpPlace p = placeOf(e.address);
    return now[size_t(p.dump)].mid(p.offset, e.size) == like[size_t(p.dump)].mid(p.offset, e.size);
}

std::vector<int> EditedRows::ticked(qv::ListKind kind) {
    std::vector<int> rows;
    for (size_t i = 0; i < ws.ticks(kind).size(); ++i)
        if (ws.ticks(kind)[i]) rows.push_back(int(i));
    return rows;
}

DumpPlace placeOf(uint32_t tableAddress) {
    return {(tableAddress >> 24) == 0x01 ? 0 : 1, qsizetype(tableAddress & 0xFFFFFF)};
}

std::string firstDifference(const QByteArray& a, const QByteArray& b) {
    if (a == b) return "identical";
    if (a.size() != b.size()) return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    qsizetype i = 0;
    while (a[i] == b[i]) ++i;
    qsizetype last = a.size() - 1;
    while (a[last] == b[last]) --last;
    return "bytes differ from offset " + std::to_string(i) + " to " + std::to_string(last);
}

PhoneEmulator::PhoneEmulator(const qvtest::ScratchDir& dir, const Dumps& dumps)
    : logPath_(dir.path("phone.log")), dumps_(dumps) {}

PhoneEmulator::~PhoneEmulator() { stop(); }

bool PhoneEmulator::start(const QStringList& extra) {
    process_ = std::make_unique<QProcess>();
    process_->setStandardErrorFile(logPath_);
    QStringList args{"--dump1", dumps_.dump1, "--dump2", dumps_.dump2, "--exit-on-stdin-eof", "--verbose",
                     "--stats", "--boot-delay", "20"};
    process_->start(kEmulator, args + extra);
    if (!process_->waitForStarted(10000)) return false;
    // The first line is the device; the host must not open it before.
    QElapsedTimer waited;
    waited.start();
    while (!process_->canReadLine() && waited.elapsed() < 10000) process_->waitForReadyRead(100);
    device_ = QString::fromLocal8Bit(process_->readLine()).trimmed();
    return !device_.isEmpty();
}

QByteArray PhoneEmulator::log() const {
    QFile f(logPath_);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool PhoneEmulator::waitForLog(const QByteArray& needle, int times, int ms) const {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (count(needle) >= times) return true;
        if (waited.elapsed() > ms) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int PhoneEmulator::stop() {
    if (!process_ || process_->state() == QProcess::NotRunning) return process_ ? process_->exitCode() : -1;
    process_->closeWriteChannel();
    if (process_->waitForFinished(10000)) return process_->exitStatus() == QProcess::NormalExit ? process_->exitCode() : -1;
    process_->kill();
    process_->waitForFinished(2000);
    return -1;
}

QStringList phoneOptions(const PhoneEmulator& emu) {
    return {"--port", emu.device(), "--loader", demo().loaderFile, "--keypad-wait", "50"};
}

// ---- RecordingSink ----

void RecordingSink::setText(const QString& text) {
    std::lock_guard lock(mutex_);
    texts_.append(text);
    changed_.notify_all();
}

void RecordingSink::setMaximum(int maximum) {
    std::lock_guard lock(mutex_);
    maximum_ = maximum;
}

void RecordingSink::setPosition(int position) {
    std::unique_lock lock(mutex_);
    if (!gate_ || gateHit_ || !gate_(texts_.isEmpty() ? QString() : texts_.back(), maximum_, position)) return;
    gateHit_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return gateOpen_; });
}

void RecordingSink::showError(const QString& text, const QString&) {
    std::lock_guard lock(mutex_);
    errors_.append(text);
}

QStringList RecordingSink::texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
}

QString RecordingSink::lastText() const {
    std::lock_guard lock(mutex_);
    return texts_.isEmpty() ? QString() : texts_.back();
}

QStringList RecordingSink::errors() const {
    std::lock_guard lock(mutex_);
    return errors_;
}

bool RecordingSink::waitForText(const QString& text, int ms) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return texts_.contains(text); });
}

void RecordingSink::armGate(GateCondition when) {
    std::lock_guard lock(mutex_);
    gate_ = std::move(when);
    gateHit_ = gateOpen_ = false;
}

bool RecordingSink::waitForGate(int ms) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return gateHit_; });
}

void RecordingSink::releaseGate() {
    std::lock_guard lock(mutex_);
    gateOpen_ = true;
    changed_.notify_all();
}

// ---- LinkSession ----

LinkSession::LinkSession(bool showProgress) {
    link.progress = showProgress ? &bar : nullptr;
    link.loaderImage = qv::emu::standInLoaderImage();
    // Nothing runs yet: the session's own record of the outcome is kept, and this one added.
    qv::PhoneWorker& worker = qv::PhoneSessionProbe::parts(phone).worker;
    worker.onTaskEnded = [this, sessionRecord = worker.onTaskEnded](const qv::Result& r) {
        sessionRecord(r);
        std::lock_guard lock(mutex_);
        result_ = r.code();
        portOpenAtEnd_ = link.port.isOpen();
        ended_.notify_all();
    };
}

LinkSession::~LinkSession() {
    bar.releaseGate();  // a test that failed half way must not leave the worker held
    phone.shutdown();
}

qv::TaskStartSettings LinkSession::startOn(const QString& device, uint32_t baud) {
    std::lock_guard lock(mutex_);
    result_.reset();
    return qv::TaskStartSettings{device, baud, false, 50, {}};
}

void LinkSession::startRead(qv::Workspace& ws, const QString& device, uint32_t baud) {
    phone.startRead(ws, startOn(device, baud));
}

void LinkSession::startWrite(qv::Workspace& ws, const QString& backup, const QString& device, uint32_t baud) {
    phone.startWrite(ws, backup, true, startOn(device, baud));
}

void LinkSession::startRestore(QIODevice& patch, const QString& device, uint32_t baud) {
    phone.startRestore(patch, true, startOn(device, baud));
}

std::optional<qv::ResultCode> LinkSession::waitForEnd(int ms) {
    std::unique_lock lock(mutex_);
    ended_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return result_.has_value(); });
    return result_;
}

bool LinkSession::portOpenAtEnd() const {
    std::lock_guard lock(mutex_);
    return portOpenAtEnd_;
}

}  // namespace e2e
