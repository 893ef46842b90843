#pragma once
// Everything a phone task shares: the port, its name and working speed, the task code and
// abort signal, the progress report and the transfer buffer.
#include "link/progress_sink.h"
#include "link/serial_port.h"
#include "link/task_control.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace qv {

constexpr int kLoaderImageSize = 7116;
constexpr int kTransferBufferBytes = 128000;

// Reads the loader image; a missing file or one of the wrong size is refused before any
// port is touched.
bool loadLoaderImage(const QString& path, QByteArray& image, QString* error);

struct PhoneLink {
    SerialPort port;
    TaskControl task;
    ProgressSink* progress = nullptr;  // never null while a task runs
    QString portName;
    uint32_t workingSpeed = 115200;
    uint32_t versionAddress = 0;  // where the version display reads the software version
    QByteArray loaderImage;
    std::vector<uint8_t> buffer = std::vector<uint8_t>(kTransferBufferBytes);
    // A task that fails for a reason its result code cannot name says it here; the worker's
    // error box shows it instead of the code's message.
    QString failureDetail;

    ProgressSink& bar() { return progress ? *progress : nullSink; }

private:
    NullProgressSink nullSink;
};

}  // namespace qv
