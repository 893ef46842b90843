#include "link/at_exchange.h"

#include "link/debug_log.h"

namespace qv {

const char kKeypadEndKey[] = "AT%FKPD=\"e\",100,0\r";
const char kKeypadUnlockThenEnd[] = "AT%FKPD=\"[*\",2,0%FKPD=\"e\",100,0\r";

namespace {

QString valueText(QByteArray value) {
    value.replace('\r', ' ');
    value.replace('\n', ' ');
    return QLatin1Char(' ') + QString::fromLatin1(value);
}

}  // namespace

QString cutVersion(const QByteArray& reply) {
    static const QByteArray echo("AT%SWV\r\r\n");
    const qsizetype at = reply.indexOf(echo);
    if (at < 0) return {};
    const qsizetype from = at + echo.size() + 1;  // the first character after the echo is skipped
    const qsizetype end = reply.indexOf("\r\n", from);
    if (end < 0) return {};
    return valueText(reply.mid(from, std::max<qsizetype>(0, end - 1 - from)));
}

QString cutModel(const QByteArray& reply) {
    static const QByteArray echo("AT+CGMM\r\r\n");
    const qsizetype at = reply.indexOf(echo);
    if (at < 0) return {};
    const qsizetype from = at + echo.size();
    const qsizetype end = reply.indexOf("\r\n", from);
    if (end < 0) return {};
    return valueText(reply.mid(from, end - from));
}

Result AtExchange::getPhoneState(const QByteArray& command) {
    writeLog("Initiate GetPhoneState started...");
    if (link_.port.isOpen()) {
        writeLog("  COM Already Opened... Closing first...");
        if (Result rc = link_.port.close(); !rc) {
            writeLog("   X:  COM close failed");
            return rc;
        }
        writeLog("   OK: COM close successful");
    }
    if (Result opened = link_.port.openAtLink(link_.portName); !opened) {
        writeLog("  X:  Setting up COM port failed!");
        link_.port.close();
        return opened;
    }
    return sendCommand(command);
}

Result AtExchange::sendCommand(const QByteArray& text) {
    const QByteArray line = (text + "\r\n").left(1024);
    const auto* bytes = reinterpret_cast<const uint8_t*>(line.constData());
    return link_.port.device().write(bytes, int(line.size())) == line.size() ? ResultCode::Ok : ResultCode::ComWriteFailed;
}

Result AtExchange::readReply() {
    SerialDevice& dev = link_.port.device();
    dev.waitForInput(10);  // rather than spinning while the phone has not answered
    const int waiting = dev.inputCount();
    if (waiting <= 0) return ResultCode::NoAnswerYet;
    uint8_t bytes[1024];
    const int n = dev.read(bytes, std::min(waiting, 1024));
    if (n < 0) return ResultCode::ComReadFailed;
    ResultCode result = ResultCode::NoAnswerYet;
    if (n > 0) {
        const QByteArray got(reinterpret_cast<const char*>(bytes), n);
        accumulator_ += got.left(got.indexOf('\0') < 0 ? n : got.indexOf('\0'));
        link_.port.pause(20);
    }
    const qsizetype len = accumulator_.size();
    if (len > 7 && accumulator_.mid(len - 7, 5) == "ERROR") {
        accumulator_.clear();
        complete_.clear();
        result = ResultCode::Ok;
    }
    const qsizetype after = accumulator_.size();
    if (after > 4 && accumulator_.mid(after - 4, 2) == "OK") {
        complete_ = accumulator_;
        accumulator_.clear();
        result = ResultCode::Ok;
    }
    return result;
}

Result AtExchange::step() {
    if (link_.port.clock().reached()) return ResultCode::Timeout;
    switch (infoStep_) {
    case InfoStep::AskVersion: {
        writeLog("SWVersion request started");
        Result rc = getPhoneState("AT%SWV\r");
        if (rc.ok()) {
            infoStep_ = InfoStep::AwaitVersion;
            return ResultCode::NoAnswerYet;
        }
        infoStep_ = InfoStep::Failed;
        return rc;
    }
    case InfoStep::AwaitVersion:
    case InfoStep::AwaitModel: {
        if (readReply() != ResultCode::Ok) return ResultCode::NoAnswerYet;
        const bool version = infoStep_ == InfoStep::AwaitVersion;
        const QString value = version ? cutVersion(complete_) : cutModel(complete_);
        if (value.isEmpty()) return ResultCode::NoAnswerYet;
        {
            std::lock_guard lock(valuesMutex_);
            (version ? version_ : model_) = value;
        }
        link_.port.close();
        infoStep_ = version ? InfoStep::AskModel : InfoStep::Done;
        return ResultCode::NoAnswerYet;
    }
    case InfoStep::AskModel:
        writeLog("Model request started");
        getPhoneState("AT+CGMM\r");
        infoStep_ = InfoStep::AwaitModel;
        return ResultCode::NoAnswerYet;
    case InfoStep::Done:
        writeLog("AT read finished!");
        return ResultCode::Ok;
    default:
        return ResultCode::NoAnswerYet;
    }
}

void AtExchange::startInfoRequest() {
    {
        std::lock_guard lock(valuesMutex_);
        model_ = version_ = kNotLearnt;
    }
    accumulator_.clear();
    complete_.clear();
    setLastFailure({});
    link_.port.clock().start(3000);
    driver_.store(AtDriverState::Start);
}

void AtExchange::driverPass() {
    switch (driver_.load()) {
    case AtDriverState::Start:
        writeLog("tatStart");
        if (portSetting) link_.portName = portSetting();
        infoStep_ = InfoStep::AskVersion;
        driver_.store(AtDriverState::ReadPending);
        link_.port.clock().start(3000);
        break;
    case AtDriverState::ReadPending: {
        writeLog("tatReadPending");
        const Result r = step();
        if (r == ResultCode::Ok) {
            driver_.store(AtDriverState::Finished);
        } else if (r == ResultCode::Timeout) {
            setLastFailure(ResultCode::Timeout);
            link_.port.close();
            driver_.store(AtDriverState::Inactive);
            if (onEnded) onEnded();
            if (onFinished) onFinished();
        } else if (r != ResultCode::NoAnswerYet) {
            setLastFailure(r);
            driver_.store(AtDriverState::Abort);
        }
        break;
    }
    case AtDriverState::Abort:
        writeLog("tatAbort");
        link_.port.close();
        driver_.store(AtDriverState::Inactive);
        if (onEnded) onEnded();
        if (onFinished) onFinished();
        break;
    case AtDriverState::Finished:
        writeLog("tatFinished");
        link_.port.close();
        driver_.store(AtDriverState::Inactive);
        if (onEnded) onEnded();
        if (onFinished) onFinished();
        break;
    default:
        writeLog("tatInactive");
        break;
    }
}

Result AtExchange::lastFailure() const {
    std::lock_guard lock(valuesMutex_);
    return lastFailure_;
}
void AtExchange::setLastFailure(Result failure) {
    std::lock_guard lock(valuesMutex_);
    lastFailure_ = std::move(failure);
}

QString AtExchange::model() const {
    std::lock_guard lock(valuesMutex_);
    return model_;
}
QString AtExchange::version() const {
    std::lock_guard lock(valuesMutex_);
    return version_;
}
bool AtExchange::learntSomething() const { return model() != kNotLearnt || version() != kNotLearnt; }

QString AtExchange::shownModel() const {
    const QString m = model();
    return m == kNotLearnt ? QStringLiteral("N/A") : m;
}
QString AtExchange::shownVersion() const {
    const QString v = version();
    return v == kNotLearnt ? QStringLiteral("N/A") : v;
}

}  // namespace qv
