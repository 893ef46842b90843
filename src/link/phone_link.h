#pragma once
// Everything a phone task shares: the port, its name and working speed, the task code and
// abort signal, the progress report and the transfer buffer.
#include "link/loader_protocol.h"
#include "link/progress_sink.h"
#include "link/serial_port.h"
#include "link/task_control.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>
#include <vector>

namespace qv {

constexpr int kTransferBufferBytes = 128000;

// Reads the loader image; a missing file or one of the wrong size is refused before any
// port is touched.
bool loadLoaderImage(const QString& path, QByteArray& image, QString* error);

// How the loader upload waits for the phone. By default it waits until Cancel: for the boot
// code's answer while the user presses the power button, and for the started loader's
// confirmation. A front end without a Cancel button a person watches (the command line) may
// give up, and may remind the user what to do.
struct BootWait {
    // Each of the two waits ends after this long; zero: never.
    std::chrono::milliseconds giveUpAfter{0};
    // After this long without the boot code's answer `remind` is called, once per upload,
    // on the worker thread; zero: never.
    std::chrono::milliseconds remindAfter{0};
    std::function<void()> remind;
};

struct PhoneLink {
    SerialPort port;
    TaskControl task;
    ProgressSink* progress = nullptr;  // never null while a task runs
    QString portName;
    uint32_t workingSpeed = 115200;
    uint32_t versionAddress = 0;  // where the version display reads the software version
    QByteArray loaderImage;
    BootWait bootWait;
    std::vector<uint8_t> buffer = std::vector<uint8_t>(kTransferBufferBytes);
    // A task that fails for a reason its result code cannot name says it here; the worker's
    // error box shows it instead of the code's message.
    QString failureDetail;

    ProgressSink& bar() { return progress ? *progress : nullSink; }

private:
    NullProgressSink nullSink;
};

}  // namespace qv
