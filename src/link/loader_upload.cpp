#include "link/loader_upload.h"

#include "link/debug_log.h"
#include "link/loader_protocol.h"

#include <chrono>

namespace qv {

namespace {

constexpr int kLoaderChunk = 1024;
// The phone is greeted at most this often, whatever the port answers.
constexpr uint32_t kGreetingPeriodMs = 12;

// Whether one of the upload's two waits, started at `since`, is over; never when the link
// waits until Cancel.
bool givesUp(const PhoneLink& link, const Stopwatch& since) {
    return link.bootWait.giveUpAfter.count() > 0 && since.reached(uint64_t(link.bootWait.giveUpAfter.count()));
}

QString secondsOf(std::chrono::milliseconds ms) { return QString::number(double(ms.count()) / 1000.0); }

// A write that came up short: the user's abort (the task code is left alone), or the port's failure.
Result writeFailure(PhoneLink& link) {
    if (link.task.cancelled()) return ResultCode::Aborted;
    return link.port.shortWriteFailure(link.task);
}

// One byte from the phone. Stops on the abort signal, a port that is gone and the link's limit.
Result receiveByte(PhoneLink& link, uint8_t& byte, const Stopwatch& since) {
    for (;;) {
        if (link.port.readBytes(&byte, 1) == 1) return ResultCode::Ok;
        if (link.task.cancelled()) return ResultCode::Aborted;
        if (link.port.lost()) return link.port.lostCode();
        if (givesUp(link, since)) {
            writeLog("X:  The loader did not confirm its start");
            return Result(ResultCode::NoResponse, QStringLiteral("The loader did not confirm its start within %1 s of being sent")
                                                      .arg(secondsOf(link.bootWait.giveUpAfter)));
        }
    }
}

// Greets the boot code until it answers. Waits until Cancel unless the link gives up.
Result awaitBootAnswer(PhoneLink& link) {
    const Stopwatch started(link.port.ticks());
    const BootWait& wait = link.bootWait;
    bool reminded = false;
    for (;;) {
        if (link.task.cancelled()) return ResultCode::Aborted;
        const Stopwatch greeted(link.port.ticks());
        const uint8_t greeting = kBootGreeting;
        if (link.port.writeBytes(&greeting, 1, link.task) != 1) return writeFailure(link);
        link.port.pause(2);
        uint8_t reply = 0;
        if (link.port.readBytes(&reply, 1) == 1 && reply == kBootAnswer) return ResultCode::Ok;
        if (link.port.lost()) return link.port.lostCode();
        // Bytes that are not the answer come back at once: still greet no faster than this.
        if (const uint32_t spent = greeted.elapsed(); spent < kGreetingPeriodMs)
            link.port.pause(int(kGreetingPeriodMs - spent));

        if (!reminded && wait.remindAfter.count() > 0 && started.reached(uint64_t(wait.remindAfter.count()))) {
            reminded = true;
            if (wait.remind) wait.remind();
        }
        if (givesUp(link, started)) {
            writeLog("X:  The boot code did not answer");
            return Result(ResultCode::PhoneNotAnswering,
                          QStringLiteral("The phone's boot code did not answer within %1 s").arg(secondsOf(wait.giveUpAfter)));
        }
    }
}

}  // namespace

Result uploadLoader(PhoneLink& link) {
    if (link.task.cancelled()) return ResultCode::Aborted;
    if (link.portName.isEmpty()) return ResultCode::WrongComSettings;
    if (link.loaderImage.size() != kLoaderImageSize) return ResultCode::CantOpenFile;
    if (Result opened = link.port.openLoaderLink(link.portName, kLoaderStartSpeed); !opened)
        return Result(ResultCode::ComInitFailed, opened.detail());

    if (Result answered = awaitBootAnswer(link); !answered) return answered;
    if (link.task.cancelled()) return ResultCode::Aborted;

    link.port.pause(4);
    for (size_t i = 0; i < kBootHeader.size(); ++i)
        if (link.port.writeBytes(&kBootHeader[i], 1, link.task) != 1 && (i == 0 || link.port.lost()))
            return writeFailure(link);

    link.report(ProgressEvent::at(ProgressStage::SendingLoader));
    link.report(ProgressEvent::bar(0, 7));
    const auto* image = reinterpret_cast<const uint8_t*>(link.loaderImage.constData());
    int step = 0;
    for (int offset = 0; offset < kLoaderImageSize; offset += kLoaderChunk) {
        if (link.task.cancelled()) return ResultCode::Aborted;
        link.port.writeChunk(image + offset, std::min(kLoaderChunk, kLoaderImageSize - offset));
        if (link.port.lost()) return link.port.lostCode();
        link.report(ProgressEvent::bar(++step));
        if (link.task.cancelled()) return ResultCode::Aborted;
    }
    link.report(ProgressEvent::bar(7));
    if (link.task.cancelled()) return ResultCode::Aborted;

    link.port.clearInput();
    const Stopwatch sent(link.port.ticks());
    uint8_t byte = 0;
    do {
        if (Result got = receiveByte(link, byte, sent); !got) return got;
    } while (byte != kLoaderAck);
    for (int i = 0; i < kLoaderAnnouncementTail; ++i)
        if (Result got = receiveByte(link, byte, sent); !got) return got;
    const uint8_t confirm = kLoaderAck;
    return link.port.writeBytes(&confirm, 1, link.task) == 1 ? ResultCode::Ok : writeFailure(link);
}

}  // namespace qv
