#pragma once
// The INI files beside the program (language.ini, setting.ini) come from the Windows
// private-profile world, so they are read and written with its rules, not QSettings':
// values are taken verbatim (commas included), names are case-insensitive, and a rewrite
// keeps every line it did not change.
#include "base/result.h"

#include <QString>
#include <QStringView>
#include <vector>

namespace qv {

class IniFile {
public:
    // These files hold a few tens of KB at most; anything larger is not one of them.
    static constexpr qint64 kMaxFileSize = qint64(1) << 20;

    // A missing file gives an empty IniFile with exists() false. So does a file that is there
    // but is no INI text: not a regular file (a directory, a device, a pipe), larger than
    // kMaxFileSize, holding NUL bytes, or unreadable; problem() then says why, and the
    // IniFile refuses to save, so that a file the program could not read is never replaced.
    // Nothing beyond kMaxFileSize + 1 bytes is ever read.
    // Bytes are Windows-1251 unless the file starts with a UTF-8 byte order mark.
    static IniFile load(const QString& path);
    static IniFile parse(const QByteArray& bytes);
    // The checks of load() that need only the file's bytes (its size, NUL bytes), then parse();
    // exists() is true when the bytes were taken.
    static IniFile fromFileBytes(const QByteArray& bytes);

    bool exists() const { return exists_; }
    // Why an existing file was not read ("not a regular file", ...); empty when it was read or
    // when there was no file.
    const QString& problem() const { return problem_; }

    // Surrounding whitespace and one pair of surrounding double quotes are removed.
    // A key that is present with an empty value gives "", not the default.
    QString value(QStringView section, QStringView key, const QString& defaultValue = {}) const;
    bool contains(QStringView section, QStringView key) const;

    // Replaces the first matching entry in place, or adds the key at the end of its section
    // (the section at the end of the file). Line breaks in the value become spaces, since a
    // value cannot span lines; a value with surrounding whitespace or quotes is written in
    // quotes, so that it reads back as it was.
    void setValue(QStringView section, QStringView key, const QString& value);

    // The file's bytes: CRLF line ends; Windows-1251, or UTF-8 with a byte order mark when it
    // was loaded that way.
    QByteArray toBytes() const;
    // Writes toBytes() to a temporary file beside the target and renames it over the target,
    // so a failed save leaves the old file whole. A target that exists but is not a regular
    // file (a symbolic link is followed) is refused rather than replaced.
    Result save(const QString& path) const;

private:
    struct Line {
        QString text;  // as read, or as rebuilt after setValue
        QString key;   // empty for comments, blank and other lines
        QString value;
    };
    struct Section {
        QString name;  // the first section holds the lines before any header and has no name
        bool hasHeader = false;
        QString header;
        std::vector<Line> lines;
    };

    // Indexes, or -1; like the Windows calls, only the first section and key of a name count.
    qsizetype sectionIndex(QStringView name) const;
    static qsizetype keyIndex(const Section& s, QStringView key);

    std::vector<Section> sections_{Section{}};
    bool exists_ = false;
    bool utf8_ = false;
    QString problem_;
};

}  // namespace qv
