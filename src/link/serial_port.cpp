#include "link/serial_port.h"

#include "link/debug_log.h"

#include <QFile>
#include <algorithm>
#include <chrono>
#include <thread>

namespace qv {

SerialPort::SerialPort(std::unique_ptr<SerialDevice> device)
    : device_(std::move(device)),
      sleep_([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }) {}

namespace {
QString describeOpenFailure(const QString& name, const OpenFailure& failure) {
    QString why = QStringLiteral("Can not open the port %1: %2").arg(name, QString::fromStdString(failure.reason));
#ifndef _WIN32
    if (failure.denied)
        why += QStringLiteral(". Your user may not use serial ports: add it to the dialout group "
                              "(sudo usermod -aG dialout $USER) and log in again.");
#endif
    return why;
}

// The loader link: raw 8 bits, two stop bits, no handshake, DTR and RTS off. On Windows reads
// may pause 3 s between bytes, writes have no time-out, the queues hold a whole segment, and
// the mask asks for the events of a byte arriving and the output running empty
// (EV_RXCHAR | EV_TXEMPTY).
SerialConfig loaderLinkConfig(uint32_t baud, uint16_t xonLimit, uint16_t xoffLimit) {
    SerialConfig c;
    c.line = {baud, 8, true, false, false};
    c.windows.readInterval = 3000;
    c.windows.inputQueue = 65536;
    c.windows.outputQueue = 65536;
    c.windows.eventMask = 5;
    c.windows.xonLimit = xonLimit;
    c.windows.xoffLimit = xoffLimit;
    return c;
}

// The AT link: 19,200 baud 8N1, DTR and RTS on; on Windows short time-outs and small queues,
// the driver's event mask and flow limits.
SerialConfig atLinkConfig() {
    SerialConfig c;
    c.line = {19200, 8, false, true, true};
    c.windows.readInterval = 50;
    c.windows.readTotalMultiplier = 1;
    c.windows.readTotalConstant = 50;
    c.windows.writeTotalMultiplier = 10;
    c.windows.writeTotalConstant = 10;
    c.windows.inputQueue = 2048;
    c.windows.outputQueue = 2048;
    return c;
}

ResultCode codeFor(ConfigureStep failed) {
    switch (failed) {
    case ConfigureStep::Timeouts: return ResultCode::CantSetTimeouts;
    case ConfigureStep::ReadEventMask:
    case ConfigureStep::EventMask: return ResultCode::CantSetComMask;
    case ConfigureStep::ReadLine: return ResultCode::CantReadComState;
    case ConfigureStep::Line: return ResultCode::CantSetComState;
    case ConfigureStep::Queues: return ResultCode::CantSetComBuffer;
    case ConfigureStep::Done: break;
    }
    return ResultCode::Ok;
}

// Whether configure() got past `step`.
bool passed(ConfigureStep failed, ConfigureStep step) { return int(failed) > int(step); }

void logLineStep(ConfigureStep failed) {
    if (failed == ConfigureStep::Line) writeLog("   X:  Setting COM State failed");
    else if (passed(failed, ConfigureStep::Line)) writeLog("   OK: Setting COM State successfully finished");
}

// The steps of the loader link's configuration, each as it went, up to the one that failed.
void logLoaderLinkSteps(const Configured& done) {
    const ConfigureStep failed = done.failedAt;
    if (!passed(failed, ConfigureStep::Timeouts)) return writeLog("   X:  Setting COM timeouts failed");
    writeLog("   OK: Setting COM timeouts successfully finished");
    if (!passed(failed, ConfigureStep::ReadEventMask)) return writeLog("   X:  Setting COM Mask failed");
    writeLog("   Obtaining COM State...");
    if (!passed(failed, ConfigureStep::ReadLine)) return writeLog("   X:  Obtaining COM State failed");
    writeLog("   OK: Obtaining COM State successfully finished");
    logLineStep(failed);
    if (!passed(failed, ConfigureStep::Line)) return;
    if (!passed(failed, ConfigureStep::Queues)) return writeLog("   X:  Setting COM Queues failed");
    writeLog("   OK: Setting COM Queues successfully finished");
    writeLog(QStringLiteral("   Setting COM Mask... Mask=%1").arg(done.previousEventMask));
    if (!passed(failed, ConfigureStep::EventMask)) return writeLog("   X:  Setting COM Mask failed");
    writeLog("   OK: Setting COM Mask successfully finished");
}

}  // namespace

Result SerialPort::open(const QString& name) {
    writeLog("Opening COM port...");
    lost_ = ResultCode::Ok;
    lostReason_.clear();
    if (!device_->open(QFile::encodeName(name).toStdString(), true)) {
        const QString why = describeOpenFailure(name, device_->openFailure());
        writeLog("X:  COM port open failed.");
        return Result(ResultCode::CantOpenCom, why);
    }
    writeLog(QStringLiteral("OK: COM port opened, Handle = %1").arg(device_->handleNumber()));
    return ResultCode::Ok;
}

Result SerialPort::configureLoaderLink(uint32_t baud) {
    writeLog("Setting up COM port...");
    const SerialConfig config = loaderLinkConfig(baud, 0, 0);
    writeLog(QStringLiteral("   Setting COM timeouts RI=%1, WC=%2")
                 .arg(config.windows.readInterval)
                 .arg(config.windows.writeTotalConstant));
    pause(20);  // the port settles before its line changes
    const Configured done = device_->configure(config);
    logLoaderLinkSteps(done);
    if (!done.ok()) return codeFor(done.failedAt);
    writeLog("OK: Setting up COM successfully finished");
    pause(2);
    return ResultCode::Ok;
}

Result SerialPort::openLoaderLink(const QString& name, uint32_t baud) {
    close();
    pause(100);
    if (Result opened = open(name); !opened) return opened;
    return configureLoaderLink(baud);
}

Result SerialPort::setWorkingSpeed(uint32_t baud) {
    pause(20);
    const Configured done = device_->configure(loaderLinkConfig(baud, 2048, 512));
    logLineStep(done.failedAt);
    return codeFor(done.failedAt);
}

Result SerialPort::openAtLink(const QString& name) {
    lost_ = ResultCode::Ok;
    lostReason_.clear();
    if (!device_->open(QFile::encodeName(name).toStdString(), false)) {
        const QString why = describeOpenFailure(name, device_->openFailure());
        writeLog("X:  COM port open failed.");
        return Result(ResultCode::CantOpenCom, why);
    }
    writeLog(QStringLiteral("OK: COM port opened, Handle = %1").arg(device_->handleNumber()));
    pause(20);
    if (const Configured done = device_->configure(atLinkConfig()); !done.ok()) return codeFor(done.failedAt);
    device_->purge(Queues::Both);
    return ResultCode::Ok;
}

Result SerialPort::close() {
    writeLog(QStringLiteral("Close COM started... (Handle = %1)").arg(device_->isOpen() ? device_->handleNumber() : -1));
    writeLog("  Purging COM...");
    device_->purge(Queues::Both);
    writeLog("  Closing COM...");
    ResultCode rc = ResultCode::Ok;
    if (!device_->close()) {
        writeLog("  X:  Close COM failed!");
        rc = ResultCode::ComCloseError;
    } else {
        writeLog("  OK: Close COM successful!");
    }
    writeLog("Close COM finished");
    return rc;
}

bool SerialPort::checkLost(ResultCode code) {
    if (lost_ != ResultCode::Ok) return true;
    if (!device_->lost()) return false;
    lost_ = code;
    lostReason_ = QString::fromLocal8Bit(device_->lostReason());
    writeLog(QStringLiteral("X:  COM port lost: %1").arg(resultMessage(code)));
    return true;
}

int SerialPort::readBytes(uint8_t* buffer, int wanted) {
    if (lost_ != ResultCode::Ok) return 0;
    // Instead of a fixed 10 ms pause, wait at most that long and go on as soon as bytes arrive.
    if (!device_->waitForInput(10)) {
        checkLost(ResultCode::ComReadFailed);
        return 0;
    }
    const int waiting = device_->inputCount();
    if (waiting <= 0) {
        checkLost(ResultCode::ComReadFailed);
        return 0;
    }
    const int n = device_->read(buffer, std::min(wanted, waiting));
    if (n < 0) checkLost(ResultCode::ComReadFailed);
    return n < 0 ? 0 : n;
}

int SerialPort::writeBytes(const uint8_t* buffer, int count, const TaskControl& task) {
    int done = 0;
    int failures = 0;
    while (done < count) {
        if (task.cancelled() || lost_ != ResultCode::Ok) return done;
        const int piece = std::min(4096, count - done);
        const int n = device_->write(buffer + done, piece);
        if (n <= 0) {
            // A failed piece is tried again, unless the device is gone.
            if (checkLost(ResultCode::ComWriteFailed) || !device_->isOpen() || ++failures > 50) return done;
            pause(10);
            continue;
        }
        failures = 0;
        done += n;
    }
    return done;
}

Result SerialPort::shortWriteFailure(const TaskControl& task) const {
    if (task.cancelled()) return ResultCode::Aborted;
    return lost_ != ResultCode::Ok ? lost_ : ResultCode::ComWriteFailed;
}

Result SerialPort::writeChunk(const uint8_t* buffer, int count) {
    pause(1);
    if (lost_ != ResultCode::Ok) return ResultCode::ComWriteFailed;
    if (device_->write(buffer, count) == count) return ResultCode::Ok;
    checkLost(ResultCode::ComWriteFailed);
    return ResultCode::ComWriteFailed;
}

int SerialPort::inputCount() {
    if (lost_ != ResultCode::Ok) return -1;
    device_->waitForInput(10);
    const int n = device_->inputCount();
    if (n < 0 || device_->lost()) {
        checkLost(ResultCode::ComReadFailed);
        return -1;
    }
    return n;
}

bool SerialPort::waitForInput(const TaskControl& task) {
    clock_.start(kLoaderSilenceMs);
    while (!task.cancelled()) {
        if (clock_.reached()) return false;
        const int n = inputCount();
        if (n > 0) return true;
        if (n < 0) return false;
    }
    return false;
}

void SerialPort::clearInput() { device_->purge(Queues::Input); }

}  // namespace qv
