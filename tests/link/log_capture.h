#pragma once
// Turns the debug log on in a scratch folder and gives back its messages without the
// date-time prefix.
#include "link/debug_log.h"
#include "support/test_support.h"

#include <QDir>
#include <QStringList>

namespace qvtest {

class LogCapture {
public:
    LogCapture() : previous_(QDir::currentPath()) {
        QDir::setCurrent(dir_.path());
        qv::setDebugLogEnabled(true);
    }
    ~LogCapture() {
        qv::setDebugLogEnabled(false);
        QDir::setCurrent(previous_);
    }
    QStringList messages() const {
        QStringList out;
        if (!QFile::exists(dir_.path("rozezu.log"))) return out;
        for (const QByteArray& line : readAll(dir_.path("rozezu.log")).split('\n')) {
            if (line.isEmpty()) continue;
            const qsizetype sep = line.indexOf(": ");
            out << QString::fromLatin1(line.mid(sep + 2)).remove('\r');
        }
        return out;
    }

private:
    ScratchDir dir_;
    QString previous_;
};

}  // namespace qvtest
