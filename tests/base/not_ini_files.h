#pragma once
// Things that turn up where language.ini, setting.ini or a .mru file should be and that are no
// INI text. Each starts with a valid [Language] entry, so a reader that took it would show it.
#include "base/ini_file.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <stdexcept>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <vector>

namespace qvtest {

struct NotIniFile {
    const char* name;
    const char* reason;  // a word of IniFile::problem()
    std::function<void(const QString& path)> make;
};

inline const QByteArray kTranslatedEntry = "[Language]\r\n8030=Bilder\r\n";

// kMaxFileSize bytes of text that the reader still takes, or one byte more.
inline QByteArray textOfSize(qint64 size) {
    QByteArray bytes = kTranslatedEntry;
    bytes.append(QByteArray(size - bytes.size(), ';'));
    return bytes;
}

inline std::vector<NotIniFile> notIniFiles() {
    return {
#ifndef _WIN32  // Windows has neither devices nor named pipes among its files
        {"link to /dev/zero", "regular",
         [](const QString& p) {
             if (!QFile::link(QStringLiteral("/dev/zero"), p)) throw std::runtime_error("cannot link");
         }},
        {"named pipe without writer", "regular",
         [](const QString& p) {
             if (::mkfifo(QFile::encodeName(p).constData(), 0600) != 0) throw std::runtime_error("cannot mkfifo");
         }},
#endif
        {"directory", "regular",
         [](const QString& p) {
             if (!QDir().mkpath(p)) throw std::runtime_error("cannot mkdir");
         }},
        {"2 GiB file", "larger",
         [](const QString& p) {
             writeAll(p, kTranslatedEntry);
             QFile f(p);
             if (!f.open(QIODevice::ReadWrite) || !f.resize(qint64(2) << 30)) throw std::runtime_error("cannot grow");
         }},
        {"text one byte over the limit", "larger",
         [](const QString& p) { writeAll(p, textOfSize(qv::IniFile::kMaxFileSize + 1)); }},
        {"binary file", "NUL", [](const QString& p) { writeAll(p, kTranslatedEntry + QByteArray("\x01\x00\xFF\x00", 4)); }},
    };
}

}  // namespace qvtest
