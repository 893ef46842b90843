#include "link/loader_upload.h"

#include "base/language_table.h"

namespace qv {

const std::array<uint8_t, 41> kBootHeader = {
    0x6A,                                                  // lead byte
    0x80, 0x04, 0x03, 0x00, 0x02, 0x00, 0x01,              // first triple
    0x80, 0x04, 0x00, 0x12, 0x02, 0x08, 0x00,              // second triple
    0x80, 0x04, 0x00, 0x92, 0x02, 0x08, 0x00,              // third triple
    0x80, 0x38, 0x00, 0x08, 0x02, 0x09, 0x00,              // fourth triple
    0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x1B, 0xCC,                                // the loader's length, 7,116
};

namespace {

constexpr uint8_t kGreeting = 0x45;
constexpr uint8_t kBootAnswer = 0x43;
constexpr uint8_t kConfirmation = 0x21;
constexpr int kLoaderChunk = 1024;

// One byte from the phone; false when the abort signal is set first.
bool receiveByte(PhoneLink& link, uint8_t& byte) {
    for (;;) {
        if (link.port.readBytes(&byte, 1) == 1) return true;
        if (link.task.abortSignal()) return false;
    }
}

}  // namespace

ResultCode uploadLoader(PhoneLink& link) {
    if (link.task.aborted()) return rcAborted;
    if (link.portName.isEmpty()) return rcWrongComSettings;
    if (link.loaderImage.size() != kLoaderImageSize) return rcCantOpenFile;
    if (link.port.openLoaderLink(link.portName, 28800) != rcOk) {
        link.failureDetail = link.port.openFailure();
        return rcComInitFailed;
    }

    bool answered = false;
    while (!answered) {
        if (link.task.aborted()) break;
        if (link.task.abortSignal()) return rcAborted;
        const uint8_t greeting = kGreeting;
        if (link.port.writeBytes(&greeting, 1, link.task) == 0) return rcAborted;
        link.port.pause(2);
        uint8_t reply = 0;
        if (link.port.readBytes(&reply, 1) == 1 && reply == kBootAnswer) answered = true;
    }
    if (link.task.aborted()) return rcAborted;

    link.port.pause(4);
    for (size_t i = 0; i < kBootHeader.size(); ++i)
        if (link.port.writeBytes(&kBootHeader[i], 1, link.task) == 0 && i == 0) return rcAborted;

    ProgressSink& bar = link.bar();
    bar.setText(langText("064"));
    bar.setPosition(0);
    bar.setMaximum(7);
    bar.repaint();
    const auto* image = reinterpret_cast<const uint8_t*>(link.loaderImage.constData());
    int step = 0;
    for (int offset = 0; offset < kLoaderImageSize; offset += kLoaderChunk) {
        if (link.task.aborted()) return rcAborted;
        link.port.writeChunk(image + offset, std::min(kLoaderChunk, kLoaderImageSize - offset));
        bar.setPosition(++step);
        bar.repaint();
        if (link.task.aborted()) return rcAborted;
    }
    bar.setPosition(7);
    if (link.task.aborted()) return rcAborted;

    link.port.clearInput();
    uint8_t byte = 0;
    do {
        if (!receiveByte(link, byte)) return rcAborted;
    } while (byte != kConfirmation);
    for (int i = 0; i < 3; ++i)
        if (!receiveByte(link, byte)) return rcAborted;
    const uint8_t confirm = kConfirmation;
    return link.port.writeBytes(&confirm, 1, link.task) == 1 ? rcOk : rcAborted;
}

}  // namespace qv
