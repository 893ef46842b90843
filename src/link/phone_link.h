#pragma once
// Everything a phone task shares: the port, its name and working speed, the cancel request
// and where progress is reported.
#include "base/expected.h"
#include "base/progress_events.h"
#include "link/loader_protocol.h"
#include "link/serial_port.h"
#include "link/task_control.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>
#include <vector>

namespace qv {

// The most one Read or Write block carries.
constexpr int kTransferBufferBytes = 128000;

// Reads the loader image; a missing file or one of the wrong size is refused before any
// port is touched.
Expected<QByteArray> loadLoaderImage(const QString& path);

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
    ProgressListener* progress = nullptr;  // null: nobody watches
    QString portName;
    uint32_t workingSpeed = 115200;
    uint32_t versionAddress = 0;  // where the version display reads the software version
    QByteArray loaderImage;
    BootWait bootWait;

    void report(const ProgressEvent& event) {
        if (progress) progress->report(event);
    }
};

}  // namespace qv
