#include "link/serial_port.h"

#include "link/debug_log.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <thread>

namespace qv {

SerialPort::SerialPort(std::unique_ptr<SerialDevice> device)
    : device_(std::move(device)),
      sleep_([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }) {}

namespace {
QString describeOpenFailure(const QString& name) {
    const int e = errno;
    QString why = QStringLiteral("Can not open the port %1: %2").arg(name, QString::fromLocal8Bit(std::strerror(e)));
#ifndef _WIN32
    if (e == EACCES || e == EPERM)
        why += QStringLiteral(". Your user may not use serial ports: add it to the dialout group "
                              "(sudo usermod -aG dialout $USER) and log in again.");
#endif
    return why;
}
}  // namespace

Result SerialPort::open(const QString& name) {
    writeLog("Opening COM port...");
    lost_ = ResultCode::Ok;
    errno = 0;
    if (!device_->open(QFile::encodeName(name).toStdString(), true)) {
        const QString why = describeOpenFailure(name);
        writeLog("X:  COM port open failed.");
        return Result(ResultCode::CantOpenCom, why);
    }
    writeLog(QStringLiteral("OK: COM port opened, Handle = %1").arg(device_->handleNumber()));
    return ResultCode::Ok;
}

ResultCode SerialPort::configureLoaderLink(uint32_t baud) {
    writeLog("Setting up COM port...");
    const Timeouts timeouts{3000, 0, 0, 0, 0};
    writeLog(QStringLiteral("   Setting COM timeouts RI=%1, WC=%2").arg(timeouts.readInterval).arg(timeouts.writeTotalConstant));
    if (!device_->applyTimeouts(timeouts)) {
        writeLog("   X:  Setting COM timeouts failed");
        return ResultCode::CantSetTimeouts;
    }
    writeLog("   OK: Setting COM timeouts successfully finished");
    loaderEvents_ = true;
    uint32_t oldMask = 0;
    if (!device_->readEventMask(oldMask)) {
        writeLog("   X:  Setting COM Mask failed");
        return ResultCode::CantSetComMask;
    }
    writeLog("   Obtaining COM State...");
    LineSettings s;
    if (!device_->readSettings(s)) {
        writeLog("   X:  Obtaining COM State failed");
        return ResultCode::CantReadComState;
    }
    writeLog("   OK: Obtaining COM State successfully finished");
    if (const ResultCode rc = applyLoaderLineSettings(s, baud, 0, 0); rc != ResultCode::Ok) return rc;
    if (!device_->setQueueSizes(65536, 65536)) {
        writeLog("   X:  Setting COM Queues failed");
        return ResultCode::CantSetComBuffer;
    }
    writeLog("   OK: Setting COM Queues successfully finished");
    writeLog(QStringLiteral("   Setting COM Mask... Mask=%1").arg(oldMask));
    if (!device_->setEventMask(5)) {
        writeLog("   X:  Setting COM Mask failed");
        return ResultCode::CantSetComMask;
    }
    writeLog("   OK: Setting COM Mask successfully finished");
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

ResultCode SerialPort::setWorkingSpeed(uint32_t baud) {
    LineSettings s;
    if (!device_->readSettings(s)) return ResultCode::CantReadComState;
    return applyLoaderLineSettings(s, baud, 2048, 512);
}

// Raw 8 bits, two stop bits, no handshake, DTR and RTS off; the port settles 20 ms first.
ResultCode SerialPort::applyLoaderLineSettings(LineSettings s, uint32_t baud, int xonLimit, int xoffLimit) {
    s.baud = baud;
    s.dataBits = 8;
    s.twoStopBits = true;
    s.xonLimit = xonLimit;
    s.xoffLimit = xoffLimit;
    s.dtr = false;
    s.rts = false;
    pause(20);
    if (!device_->applySettings(s)) {
        writeLog("   X:  Setting COM State failed");
        return ResultCode::CantSetComState;
    }
    writeLog("   OK: Setting COM State successfully finished");
    return ResultCode::Ok;
}

Result SerialPort::openAtLink(const QString& name) {
    lost_ = ResultCode::Ok;
    errno = 0;
    if (!device_->open(QFile::encodeName(name).toStdString(), false)) {
        const QString why = describeOpenFailure(name);
        writeLog("X:  COM port open failed.");
        return Result(ResultCode::CantOpenCom, why);
    }
    writeLog(QStringLiteral("OK: COM port opened, Handle = %1").arg(device_->handleNumber()));
    if (!device_->setQueueSizes(2048, 2048)) return ResultCode::CantSetComBuffer;
    LineSettings s;
    if (!device_->readSettings(s)) return ResultCode::CantReadComState;
    s.baud = 19200;
    s.dataBits = 8;
    s.twoStopBits = false;
    s.dtr = true;
    s.rts = true;
    pause(20);
    if (!device_->applySettings(s)) return ResultCode::CantSetComState;
    Timeouts t;
    if (!device_->readTimeouts(t)) return ResultCode::CantSetTimeouts;
    t = {50, 1, 50, 10, 10};
    if (!device_->applyTimeouts(t)) return ResultCode::CantSetTimeouts;
    device_->purge();
    return ResultCode::Ok;
}

ResultCode SerialPort::close() {
    writeLog(QStringLiteral("Close COM started... (Handle = %1)").arg(device_->isOpen() ? device_->handleNumber() : -1));
    writeLog("  Purging COM...");
    device_->purge();
    writeLog("  Closing COM...");
    ResultCode rc = ResultCode::Ok;
    if (!device_->close()) {
        writeLog("  X:  Close COM failed!");
        rc = ResultCode::ComCloseError;
    } else {
        writeLog("  OK: Close COM successful!");
    }
    loaderEvents_ = false;
    writeLog("Close COM finished");
    return rc;
}

bool SerialPort::checkLost(ResultCode code) {
    if (lost_ != ResultCode::Ok) return true;
    if (!device_->lost()) return false;
    lost_ = code;
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

ResultCode SerialPort::shortWriteCode(const TaskControl& task) const {
    if (task.cancelled()) return ResultCode::Aborted;
    return lost_ != ResultCode::Ok ? lost_ : ResultCode::ComWriteFailed;
}

ResultCode SerialPort::writeChunk(const uint8_t* buffer, int count) {
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
    clock_.start(7000);
    while (!task.cancelled()) {
        if (clock_.reached()) return false;
        const int n = inputCount();
        if (n > 0) return true;
        if (n < 0) return false;
    }
    return false;
}

void SerialPort::clearInput() { device_->clearInput(); }

}  // namespace qv
