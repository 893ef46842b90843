#include "phone_emu/phone_engine.h"

#include "link/loader_protocol.h"

namespace qv::emu {

namespace {

constexpr uint8_t kRefusal = 0x3F;
constexpr char kGarbage = 0x55;
// The tail of the loader's announcement.
const QByteArray kLoaderHello("\x01\x02\x03", kLoaderAnnouncementTail);
const QByteArray kReadTrailer(kReadTrailerSize, '\0');
// Larger reads would only come from a confused host; the reply would not fit in memory.
constexpr uint32_t kMaxRead = 0x1000000;

QString hex(uint32_t value) { return QStringLiteral("0x%1").arg(value, 8, 16, QLatin1Char('0')); }

qsizetype byteAt(SegmentByte which, qsizetype size) {
    switch (which) {
    case SegmentByte::First: return 0;
    case SegmentByte::Last: return size - 1;
    case SegmentByte::Middle: break;
    }
    return size / 2;
}

}  // namespace

const char* modeName(PhoneMode mode) {
    switch (mode) {
    case PhoneMode::Firmware: return "firmware";
    case PhoneMode::Off: return "off";
    case PhoneMode::BootCode: return "boot code";
    case PhoneMode::Loader: return "loader";
    }
    return "?";
}

PhoneEngine::PhoneEngine(PhoneSettings settings, FlashStore* flash)
    : settings_(std::move(settings)), flash_(flash) {}

void PhoneEngine::receive(QByteArrayView bytes, Time now) {
    for (char b : bytes) receive(uint8_t(b), now);
}

void PhoneEngine::receive(uint8_t byte, Time now) {
    advance(now);
    ++stats_.received[int(mode_)];
    if (silent_) return;
    if (busy()) {
        // Switched off, the phone hears nothing; otherwise the byte waits in its UART.
        if (scheduled_->action != Action::PowerOn) backlog_.append(char(byte));
        return;
    }
    handle(byte);
}

void PhoneEngine::advance(Time now) {
    while (scheduled_ && scheduled_->due <= now) {
        const Scheduled s = *scheduled_;
        scheduled_.reset();
        now_ = std::max(now_, s.due);
        fire(s);
        while (!backlog_.isEmpty() && !busy() && !silent_) {
            const uint8_t b = uint8_t(backlog_.front());
            backlog_.remove(0, 1);
            handle(b);
        }
    }
    now_ = std::max(now_, now);
}

std::optional<Time> PhoneEngine::nextDeadline() const {
    if (!scheduled_) return std::nullopt;
    return scheduled_->due;
}

std::vector<Outgoing> PhoneEngine::takeOutput() { return std::exchange(output_, {}); }

void PhoneEngine::schedule(Time delay, Action action, AtAnswer reply, uint8_t answer) {
    scheduled_ = Scheduled{now_ + delay, action, std::move(reply), answer};
}

void PhoneEngine::fire(const Scheduled& s) {
    switch (s.action) {
    case Action::AtReply:
        send(s.reply.text);
        if (s.reply.endKeyPressed) {
            log(QStringLiteral("end key: the phone switches off"));
            mode_ = PhoneMode::Off;
            atLine_.reset();
            schedule(settings_.bootDelay, Action::PowerOn);
        }
        break;
    case Action::PowerOn:
        log(QStringLiteral("boot code waits for a greeting"));
        mode_ = PhoneMode::BootCode;
        baud_ = kLoaderStartSpeed;
        greetingLogged_ = false;
        boot_.restart();
        break;
    case Action::LoaderStart:
        log(QStringLiteral("loader started, announcing itself"));
        sendAck(kLoaderHello);
        break;
    case Action::LoaderAnswer:
        if (s.answer == kLoaderAck) sendAck();
        else send(QByteArrayView(&s.answer, 1));
        break;
    }
}

void PhoneEngine::handle(uint8_t byte) {
    switch (mode_) {
    case PhoneMode::Firmware: firmwareByte(byte); break;
    case PhoneMode::Off: break;
    case PhoneMode::BootCode: bootByte(byte); break;
    case PhoneMode::Loader: loaderByte(byte); break;
    }
}

void PhoneEngine::firmwareByte(uint8_t byte) {
    if (settings_.faults.atSilent) return;
    if (scheduled_ && scheduled_->action == Action::AtReply) {
        if (byte == '\r' || byte == '\n') {
            send(QByteArrayView(reinterpret_cast<const char*>(&byte), 1));
            return;
        }
        // A new command begins before the last one was answered: answer first.
        const Scheduled s = *scheduled_;
        scheduled_.reset();
        fire(s);
        if (mode_ != PhoneMode::Firmware) return;
    }
    send(QByteArrayView(reinterpret_cast<const char*>(&byte), 1));
    if (const auto line = atLine_.feed(char(byte))) {
        log(QStringLiteral("AT command %1").arg(QString::fromLatin1(*line)));
        schedule(kCommandTime, Action::AtReply, answerAtCommand(*line, settings_));
    }
}

void PhoneEngine::bootByte(uint8_t byte) {
    switch (boot_.feed(byte)) {
    case BootCode::Event::None: break;
    case BootCode::Event::AnswerGreeting:
        if (!greetingLogged_) log(QStringLiteral("greeting answered"));
        greetingLogged_ = true;
        send(QByteArrayView(&kBootAnswer, 1));
        break;
    case BootCode::Event::BadHeader: log(QStringLiteral("wrong boot header, waiting for a greeting")); break;
    case BootCode::Event::BadLoader:
        log(QStringLiteral("the loader image is not ours: it crashes, the boot code starts over"));
        break;
    case BootCode::Event::LoaderAccepted:
        log(QStringLiteral("loader image received"));
        schedule(settings_.startDelay, Action::LoaderStart);
        break;
    case BootCode::Event::Confirmed:
        log(QStringLiteral("host confirmed, loader commands at %1 baud").arg(baud_));
        mode_ = PhoneMode::Loader;
        parser_.reset();
        awaitingReadAck_ = false;
        break;
    }
}

void PhoneEngine::loaderByte(uint8_t byte) {
    const int64_t limit = settings_.faults.silentAfter;
    if (limit >= 0 && ++loaderBytes_ > limit) {
        log(QStringLiteral("silent from now on, as told"));
        silent_ = true;
        return;
    }
    if (awaitingReadAck_) {
        awaitingReadAck_ = false;
        if (byte == kLoaderAck) return;
        log(QStringLiteral("no '!' after a read; taking the byte as a command"));
    }
    if (const auto command = parser_.feed(byte)) execute(*command);
}

void PhoneEngine::execute(const LoaderCommand& command) {
    using Kind = LoaderCommand::Kind;
    switch (command.kind) {
    case Kind::Padding: log(QStringLiteral("zero byte ignored (speed unchanged)")); break;
    case Kind::SpeedSwitch:
        if (const auto baud = baudForSpeedCode(command.code)) {
            log(QStringLiteral("speed switch to %1 baud").arg(*baud));
            sendAck();  // still at the old rate
            baud_ = *baud;
        } else {
            log(QStringLiteral("unknown speed code %1").arg(command.code));
            send(QByteArrayView(&kRefusal, 1));
        }
        break;
    case Kind::Read: readBlock(command); break;
    case Kind::WriteSegment:
        schedule(settings_.ackDelay, Action::LoaderAnswer, {}, acceptSegment(command) ? kLoaderAck : kRefusal);
        break;
    case Kind::EndOfWrite:
        log(QStringLiteral("end of write"));
        schedule(settings_.ackDelay, Action::LoaderAnswer, {}, kLoaderAck);
        break;
    case Kind::Finish: finish(); break;
    case Kind::Unknown: log(QStringLiteral("unknown loader command byte %1 ignored").arg(command.code)); break;
    }
}

void PhoneEngine::readBlock(const LoaderCommand& command) {
    log(QStringLiteral("read %1 bytes at %2").arg(command.length).arg(hex(command.address)));
    if (command.length > kMaxRead) {
        send(QByteArrayView(&kRefusal, 1));
        return;
    }
    QByteArray data = flash_->read(command.address, command.length);
    const int64_t drop = settings_.faults.dropReadByte;
    if (!readReplied_ && drop >= 1 && drop <= data.size()) {
        log(QStringLiteral("data byte %1 of this reply is lost, as told").arg(drop));
        data.remove(qsizetype(drop - 1), 1);
    }
    readReplied_ = true;
    send(data + kReadTrailer);
    awaitingReadAck_ = true;
}

bool PhoneEngine::acceptSegment(const LoaderCommand& c) {
    const QString what = QStringLiteral("write %1 bytes at %2: ").arg(c.length).arg(hex(c.address));
    QString fault;
    if (refusedByFault(c)) fault = QStringLiteral("refused as told");
    else if (c.checksumSent != c.checksumComputed)
        fault = QStringLiteral("checksum %1, expected %2").arg(c.checksumSent).arg(c.checksumComputed);
    else if (c.length > kSegmentBoundary || c.address % kSegmentBoundary + uint64_t(c.length) > kSegmentBoundary)
        fault = QStringLiteral("crosses a 64 KiB boundary");
    QByteArray stored = c.data;
    QString note;
    if (fault.isEmpty() && !stored.isEmpty() && !corrupted_ && segmentCount_ == settings_.faults.corruptWriteSegment) {
        // Acknowledged all the same: only reading the bytes back shows it.
        corrupted_ = true;
        const qsizetype at = byteAt(settings_.faults.corruptWriteByte, stored.size());
        stored[at] = char(~stored[at]);
        note = QStringLiteral(" (byte %1 stored wrong, as told)").arg(at);
    }
    if (fault.isEmpty() && !flash_->write(c.address, stored)) fault = QStringLiteral("past the end of the dump");
    log(what + (fault.isEmpty() ? QStringLiteral("ok") + note : fault));
    return fault.isEmpty();
}

bool PhoneEngine::refusedByFault(const LoaderCommand& c) {
    if (refusalsLeft_ > 0 && c.address == refusedAddress_ && c.length == refusedLength_) {
        --refusalsLeft_;
        return true;
    }
    refusalsLeft_ = 0;
    if (++segmentCount_ != settings_.faults.refuseSegment) return false;
    refusalsLeft_ = settings_.faults.refuseTimes - 1;
    refusedAddress_ = c.address;
    refusedLength_ = c.length;
    return true;
}

void PhoneEngine::finish() {
    const Result saved = flash_->saveChanged();
    log(saved ? QStringLiteral("finish: back to the firmware")
              : QStringLiteral("finish: %1; back to the firmware").arg(saved.message()));
    mode_ = PhoneMode::Firmware;
    baud_ = kFirmwareBaud;
    atLine_.reset();
}

void PhoneEngine::send(QByteArrayView bytes) {
    if (bytes.isEmpty()) return;
    stats_.sent[int(mode_)] += uint64_t(bytes.size());
    if (!output_.empty() && output_.back().baud == baud_ && output_.back().at == now_) {
        output_.back().bytes.append(bytes);
        return;
    }
    output_.push_back({bytes.toByteArray(), baud_, now_});
}

void PhoneEngine::sendAck(QByteArrayView tail) {
    const int garbage = settings_.faults.garbageBeforeAck;
    if (garbage > 0) send(QByteArray(garbage, kGarbage));
    send(QByteArrayView(&kLoaderAck, 1));
    send(tail);
}

void PhoneEngine::log(const QString& text) const {
    if (log_) log_(text);
}

}  // namespace qv::emu
