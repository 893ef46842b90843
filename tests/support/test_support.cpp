#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <stdexcept>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace qvtest {

ScratchDir::ScratchDir() {
    if (!dir_.isValid()) throw std::runtime_error("cannot create a scratch folder");
}

QString ScratchDir::path(const QString& name) const {
    return name.isEmpty() ? dir_.path() : QDir(dir_.path()).filePath(name);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

const char* folderModesIgnored() {
#ifdef _WIN32
    return "Windows gives folders no read-only mode";
#else
    return ::geteuid() == 0 ? "a read-only folder does not stop root" : nullptr;
#endif
}

}  // namespace qvtest
