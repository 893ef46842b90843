#include "link/loader_commands.h"

#include "base/cp1251.h"
#include "base/rounding.h"
#include "link/debug_log.h"
#include "link/loader_protocol.h"

#include <QStringList>
#include <array>
#include <algorithm>

namespace qv {
namespace {

constexpr int kSegmentAttempts = 3;  // a refused or unanswered segment is sent twice more

void putBigEndian(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

// 0 when every byte went out. A write stopped by the abort signal ends the task as aborted; a
// port that refused the bytes or went away ends it with the port's failure.
ResultCode send(PhoneLink& link, const uint8_t* bytes, int count) {
    if (link.port.writeBytes(bytes, count, link.task) == count) return ResultCode::Ok;
    return link.port.shortWriteFailure(link.task).code();
}

ResultCode sendByte(PhoneLink& link, uint8_t byte) { return send(link, &byte, 1); }

enum class Wait { Got, Aborted, Silent, Lost };

// How long the phone may stay silent before a step gives up. Kept apart from the port's
// time-out clock, whose starts and ends are logged: these waits restart on every byte.
class SilenceLimit {
public:
    SilenceLimit(const SerialPort& port, uint32_t ms) : since_(port.ticks()), length_(ms) {}
    void restart() { since_.restart(); }
    bool passed() const { return since_.reached(length_); }

private:
    Stopwatch since_;
    uint32_t length_;
};

// One byte from the loader. Cancel ends the wait at once; a phone that stays silent for
// `silentMs` ends it too, so a pulled cable never hangs the task.
Wait receiveByte(PhoneLink& link, uint8_t& byte, uint32_t silentMs = kLoaderSilenceMs) {
    const SilenceLimit limit(link.port, silentMs);
    for (;;) {
        if (link.task.cancelled()) return Wait::Aborted;
        if (link.port.readBytes(&byte, 1) == 1) return Wait::Got;
        if (link.port.lost()) return Wait::Lost;
        if (limit.passed()) return Wait::Silent;
    }
}

ResultCode failed(PhoneLink& link, Wait w) {
    switch (w) {
    case Wait::Aborted: return ResultCode::Aborted;
    case Wait::Lost: return link.port.lostCode();
    default: return ResultCode::NoResponse;
    }
}

// The answer to a write segment or to the end of write: 0x21, possibly behind line noise.
// Returns Got with `accepted` telling whether the 0x21 came.
Wait receiveAck(PhoneLink& link, bool& accepted) {
    accepted = false;
    if (!link.port.waitForInput(link.task)) {
        if (link.task.cancelled()) return Wait::Aborted;
        return link.port.lost() ? Wait::Lost : Wait::Silent;
    }
    uint8_t byte = 0;
    if (link.port.readBytes(&byte, 1) != 1) return link.port.lost() ? Wait::Lost : Wait::Silent;
    // Bytes that are not the acknowledgement: look briefly for one behind them.
    while (byte != kLoaderAck) {
        if (link.task.cancelled()) return Wait::Aborted;
        if (const Wait w = receiveByte(link, byte, 100); w != Wait::Got) return w == Wait::Lost ? w : Wait::Got;
    }
    accepted = true;
    return Wait::Got;
}

// What a read or write block does first: the bar at 0 of 100, and the abort and size checks.
ResultCode startBlock(PhoneLink& link, uint32_t length) {
    if (link.task.cancelled()) return ResultCode::Aborted;
    link.report(ProgressEvent::bar(0, 100));
    if (link.task.cancelled()) return ResultCode::Aborted;
    return length > uint32_t(kTransferBufferBytes) ? ResultCode::NotEnoughMemory : ResultCode::Ok;
}

int percent(int64_t part, int64_t whole) { return whole == 0 ? 100 : int(roundHalfEvenQuotient(part * 100, whole)); }

// Counts the items of a block that have gone by. Without items it does nothing.
class ItemCounter {
public:
    explicit ItemCounter(const BlockItems* items) : items_(items) {}
    void reached(uint32_t bytes) {
        if (!items_) return;
        int n = passed_;
        while (n < int(items_->ends.size()) && items_->ends[size_t(n)] <= bytes) ++n;
        if (n == passed_) return;
        passed_ = n;
        if (items_->passed) items_->passed(n);
    }
    // How much of a write to send in one piece from `at`: up to the end of the item in flight,
    // so that the next one shows when it starts, but not in pieces so small that the calls cost
    // more than the bytes.
    uint32_t piece(uint32_t at, uint32_t most) const {
        if (!items_) return most;
        constexpr uint32_t kSmallest = 512;
        for (uint32_t end : items_->ends)
            if (end > at) return std::min(most, std::max(kSmallest, end - at));
        return most;
    }

private:
    const BlockItems* items_;
    int passed_ = 0;
};

}  // namespace

bool loaderKnowsSpeed(uint32_t baud) { return baud == kLoaderStartSpeed || loaderSpeedCode(baud) >= 0; }

QString speedRefusal(uint32_t baud) {
    if (loaderKnowsSpeed(baud)) return {};
    QStringList known;
    for (uint32_t b : kLoaderSpeeds) known.append(QString::number(b));
    return QStringLiteral("The loader cannot work at %1 baud; it knows %2").arg(baud).arg(known.join(QStringLiteral(", ")));
}

int loaderSpeedCode(uint32_t baud) {
    for (const LoaderSpeedCode& s : kLoaderSpeedCodes)
        if (s.baud == baud) return s.code;
    return -1;
}

uint16_t segmentChecksum(uint32_t address, uint32_t length, const uint8_t* data) {
    uint8_t fields[8];
    putBigEndian(fields, address);
    putBigEndian(fields + 4, length);
    uint16_t sum = kChecksumStart;
    for (uint8_t b : fields) sum = uint16_t(sum - b);
    for (uint32_t i = 0; i < length; ++i) sum = uint16_t(sum - data[i]);
    return sum;
}

Result speedSwitch(PhoneLink& link) {
    if (link.task.cancelled()) return ResultCode::Aborted;
    const int code = loaderSpeedCode(link.workingSpeed);
    const uint8_t bytes[2] = {code < 0 ? kCommandPadding : kCommandSpeedSwitch,
                              code < 0 ? kCommandPadding : uint8_t(code)};
    link.port.pause(10);
    for (uint8_t b : bytes)
        if (const ResultCode rc = sendByte(link, b); rc != ResultCode::Ok) return rc;
    uint8_t byte = 0;
    do {
        if (const Wait w = receiveByte(link, byte); w != Wait::Got) return failed(link, w);
    } while (byte != kLoaderAck);
    return ResultCode::Ok;
}

Result switchToWorkingSpeed(PhoneLink& link) {
    if (link.workingSpeed == kLoaderStartSpeed) return ResultCode::Ok;  // the loader already runs at 28,800
    if (Result rc = speedSwitch(link); !rc) return rc;
    if (Result rc = link.port.setWorkingSpeed(link.workingSpeed); !rc) return rc;
    versionDisplay(link);
    return ResultCode::Ok;
}

Result readBlock(PhoneLink& link, uint32_t address, std::span<uint8_t> into, const BlockItems* items) {
    const auto length = uint32_t(into.size());
    if (const ResultCode rc = startBlock(link, length); rc != ResultCode::Ok) return rc;
    ItemCounter counter(items);
    uint8_t command[9] = {kCommandRead};
    putBigEndian(command + 1, address);
    putBigEndian(command + 5, length);
    for (uint8_t b : command)
        if (const ResultCode rc = sendByte(link, b); rc != ResultCode::Ok) return rc;

    uint32_t got = 0;
    SilenceLimit silence(link.port, kLoaderSilenceMs);
    while (got < length) {
        if (link.task.cancelled()) return ResultCode::Aborted;
        const int n = link.port.readBytes(into.data() + got, int(length - got));
        if (n > 0) {
            got += uint32_t(n);
            counter.reached(got);
            link.report(ProgressEvent::bar(percent(got, length)));
            silence.restart();
        } else if (link.port.lost()) {
            writeLog(QStringLiteral("X:  Read block stopped after %1 of %2 bytes").arg(got).arg(length));
            return link.port.lostCode();
        } else if (silence.passed()) {
            writeLog(QStringLiteral("X:  Read block stopped after %1 of %2 bytes").arg(got).arg(length));
            return ResultCode::NoResponse;
        }
    }
    if (link.task.cancelled()) return ResultCode::Aborted;
    uint8_t trailer = 0;
    for (int i = 0; i < kReadTrailerSize; ++i)
        if (const Wait w = receiveByte(link, trailer); w != Wait::Got) return failed(link, w);
    link.report(ProgressEvent::bar(100));
    return sendByte(link, kLoaderAck);
}

Result writeBlock(PhoneLink& link, uint32_t address, std::span<const uint8_t> bytes, const BlockItems* items) {
    const auto length = uint32_t(bytes.size());
    if (const ResultCode rc = startBlock(link, length); rc != ResultCode::Ok) return rc;
    ItemCounter counter(items);

    uint32_t done = 0;
    while (done < length) {
        const uint32_t at = address + done;
        const uint32_t toBoundary = kSegmentBoundary - at % kSegmentBoundary;
        const uint32_t segment = std::min(toBoundary, length - done);
        const uint8_t* data = bytes.data() + done;
        bool accepted = false;
        Wait answer = Wait::Silent;
        for (int attempt = 0; attempt < kSegmentAttempts && !accepted; ++attempt) {
            uint8_t head[9] = {kCommandWrite};
            putBigEndian(head + 1, at);
            putBigEndian(head + 5, segment);
            if (const ResultCode rc = send(link, head, 9); rc != ResultCode::Ok) return rc;
            for (uint32_t sent = 0; sent < segment;) {
                const uint32_t piece = counter.piece(done + sent, std::min<uint32_t>(8192, segment - sent));
                if (const ResultCode rc = send(link, data + sent, int(piece)); rc != ResultCode::Ok) return rc;
                sent += piece;
                counter.reached(done + sent);
                link.report(ProgressEvent::bar(percent(done + sent, length)));
            }
            const uint16_t sum = segmentChecksum(at, segment, data);
            const uint8_t tail[2] = {uint8_t(sum >> 8), uint8_t(sum)};
            if (const ResultCode rc = send(link, tail, 2); rc != ResultCode::Ok) return rc;
            link.port.clearInput();
            answer = receiveAck(link, accepted);
            if (answer == Wait::Aborted || answer == Wait::Lost) return failed(link, answer);
            if (!accepted)
                writeLog(QStringLiteral("X:  Write segment at %1 (%2 bytes) %3")
                             .arg(at, 8, 16, QChar('0')).arg(segment)
                             .arg(answer == Wait::Silent ? "not answered" : "refused"));
        }
        if (!accepted) return answer == Wait::Silent ? ResultCode::NoResponse : ResultCode::InvalidResponse;
        done += segment;
        if (link.task.cancelled()) return ResultCode::Aborted;
    }
    if (link.task.cancelled()) return ResultCode::Aborted;
    link.report(ProgressEvent::bar(100));
    return ResultCode::Ok;
}

Result endOfWrite(PhoneLink& link) {
    if (link.task.cancelled()) return ResultCode::Aborted;
    link.report(ProgressEvent::at(ProgressStage::WriteEnded));
    const uint8_t command[5] = {kCommandWrite, 0, 0, 0, 0};
    for (uint8_t b : command)
        if (const ResultCode rc = sendByte(link, b); rc != ResultCode::Ok) return rc;
    if (link.task.cancelled()) return ResultCode::Aborted;
    bool accepted = false;
    const Wait w = receiveAck(link, accepted);
    if (w != Wait::Got) return failed(link, w);
    return accepted ? ResultCode::Ok : ResultCode::InvalidResponse;
}

Result finish(PhoneLink& link) {
    if (link.task.cancelled()) return ResultCode::Aborted;
    if (const ResultCode rc = sendByte(link, kCommandFinish); rc != ResultCode::Ok) return rc;
    return link.task.cancelled() ? ResultCode::Aborted : ResultCode::Ok;
}

QString versionLineOf(const uint8_t* block, int size) {
    const int n = std::min(size, 128);
    if (n < 3 || block[0] != '2' || block[1] != '0' || block[2] != '0') return {};
    QByteArray v, p, wg;
    auto isDigit = [](uint8_t c) { return c >= '0' && c <= '9'; };
    auto field = [&](int from, bool stopAtP) {
        QByteArray out;
        for (int k = from; k < n && block[k] >= '0' && !(stopAtP && block[k] == 'P'); ++k) out.append(char(block[k]));
        return out;
    };
    for (int i = 0; i + 1 < n; ++i) {
        if (!isDigit(block[i + 1])) continue;
        switch (block[i]) {
        case 'V': v = field(i, false); break;
        case 'W':
        case 'G': wg = field(i, true); break;
        case 'P': p = field(i, false); break;
        default: break;
        }
    }
    if (v.isEmpty() && p.isEmpty() && wg.isEmpty()) return {};
    return fromCp1251(v + ' ' + p + ' ' + wg);
}

void versionDisplay(PhoneLink& link) {
    if (!link.progress) return;
    link.report(ProgressEvent::versionLine({}));
    std::array<uint8_t, 128> block{};
    readBlock(link, link.versionAddress, block);
    link.report(ProgressEvent::versionLine(versionLineOf(block.data(), int(block.size()))));
}

}  // namespace qv
