#include "base/ini_file.h"

#include "base/file_output.h"

#include "base/cp1251.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

namespace qv {
namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);

bool sameName(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

QString unquote(QString v) {
    if (v.size() >= 2 && v.startsWith(u'"') && v.endsWith(u'"')) return v.mid(1, v.size() - 2);
    return v;
}

// "[name]" with anything after the closing bracket ignored; an opening bracket without a
// closing one is no header.
std::optional<QString> parseHeader(QStringView trimmed) {
    if (!trimmed.startsWith(u'[')) return std::nullopt;
    const qsizetype close = trimmed.lastIndexOf(u']');
    if (close < 0) return std::nullopt;
    return trimmed.mid(1, close - 1).trimmed().toString();
}

QString tooLargeProblem() { return QStringLiteral("larger than %1 KiB").arg(IniFile::kMaxFileSize / 1024); }

}  // namespace

IniFile IniFile::load(const QString& path) {
    IniFile refused;
    // Checked before opening: opening a pipe would wait for a writer, and reading a device
    // such as /dev/zero would never end.
    const QFileInfo info(path);
    if (!info.exists()) return refused;
    if (!info.isFile()) {
        refused.problem_ = QStringLiteral("not a regular file");
        return refused;
    }
    if (info.size() > kMaxFileSize) {
        refused.problem_ = tooLargeProblem();
        return refused;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        refused.problem_ = QStringLiteral("can not be read: %1").arg(f.errorString());
        return refused;
    }
    if (f.isSequential()) {  // replaced by something else since the check above
        refused.problem_ = QStringLiteral("not a regular file");
        return refused;
    }
    const QByteArray bytes = f.read(kMaxFileSize + 1);
    if (f.error() != QFileDevice::NoError) {
        refused.problem_ = QStringLiteral("can not be read: %1").arg(f.errorString());
        return refused;
    }
    return fromFileBytes(bytes);
}

IniFile IniFile::fromFileBytes(const QByteArray& bytes) {
    IniFile refused;
    if (bytes.size() > kMaxFileSize) {
        refused.problem_ = tooLargeProblem();
        return refused;
    }
    if (bytes.contains('\0')) {
        refused.problem_ = QStringLiteral("holds NUL bytes, so it is no text file");
        return refused;
    }
    IniFile ini = parse(bytes);
    ini.exists_ = true;
    return ini;
}

IniFile IniFile::parse(const QByteArray& bytes) {
    IniFile ini;
    QString text;
    if (bytes.startsWith(kUtf8Bom)) {
        ini.utf8_ = true;
        text = QString::fromUtf8(QByteArrayView(bytes).sliced(kUtf8Bom.size()));
    } else {
        text = fromCp1251(bytes);
    }
    if (text.endsWith(u'\n')) text.chop(1);
    if (text.isEmpty()) return ini;

    for (QString raw : text.split(u'\n')) {
        if (raw.endsWith(u'\r')) raw.chop(1);
        const QString trimmed = raw.trimmed();
        if (std::optional<QString> name = parseHeader(trimmed)) {
            ini.sections_.push_back(Section{*std::move(name), true, raw, {}});
            continue;
        }
        Line line{raw, {}, {}};
        const qsizetype eq = trimmed.indexOf(u'=');
        if (!trimmed.startsWith(u';') && eq > 0) {
            line.key = trimmed.left(eq).trimmed();
            line.value = unquote(trimmed.mid(eq + 1).trimmed());
        }
        ini.sections_.back().lines.push_back(std::move(line));
    }
    return ini;
}

qsizetype IniFile::sectionIndex(QStringView name) const {
    for (size_t i = 0; i < sections_.size(); ++i)
        if (sections_[i].hasHeader && sameName(sections_[i].name, name)) return qsizetype(i);
    return -1;
}

qsizetype IniFile::keyIndex(const Section& s, QStringView key) {
    for (size_t i = 0; i < s.lines.size(); ++i)
        if (!s.lines[i].key.isEmpty() && sameName(s.lines[i].key, key)) return qsizetype(i);
    return -1;
}

QString IniFile::value(QStringView section, QStringView key, const QString& defaultValue) const {
    const qsizetype si = sectionIndex(section);
    if (si < 0) return defaultValue;
    const Section& s = sections_[si];
    const qsizetype ki = keyIndex(s, key);
    return ki < 0 ? defaultValue : s.lines[ki].value;
}

bool IniFile::contains(QStringView section, QStringView key) const {
    const qsizetype si = sectionIndex(section);
    return si >= 0 && keyIndex(sections_[si], key) >= 0;
}

void IniFile::setValue(QStringView section, QStringView key, const QString& value) {
    QString v = value;
    v.replace(u'\r', u' ').replace(u'\n', u' ');
    // Reading trims the value and takes off one pair of quotes; a value that would lose
    // something that way is written inside one more pair.
    const bool needsQuotes = !v.isEmpty() && (v.front().isSpace() || v.back().isSpace() ||
                                              (v.size() >= 2 && v.startsWith(u'"') && v.endsWith(u'"')));
    const QString written = needsQuotes ? u'"' + v + u'"' : v;

    qsizetype si = sectionIndex(section);
    if (si < 0) {
        Section& last = sections_.back();
        const bool needsGap = (last.hasHeader || !last.lines.empty()) &&
                              (last.lines.empty() || !last.lines.back().text.trimmed().isEmpty());
        if (needsGap) last.lines.push_back(Line{});
        sections_.push_back(Section{section.toString(), true, u'[' + section.toString() + u']', {}});
        si = qsizetype(sections_.size()) - 1;
    }
    Section& s = sections_[si];
    const qsizetype ki = keyIndex(s, key);
    if (ki >= 0) {
        Line& l = s.lines[ki];
        l.value = v;
        l.text = l.key + u'=' + written;
        return;
    }
    // After the section's last entry, so blank lines and comments that lead into the next
    // section stay where they are.
    size_t pos = 0;
    for (size_t i = 0; i < s.lines.size(); ++i)
        if (!s.lines[i].key.isEmpty()) pos = i + 1;
    const QString k = key.toString();
    s.lines.insert(s.lines.begin() + qsizetype(pos), Line{k + u'=' + written, k, v});
}

QByteArray IniFile::toBytes() const {
    QString text;
    for (const Section& s : sections_) {
        if (s.hasHeader) text += s.header + QStringLiteral("\r\n");
        for (const Line& l : s.lines) text += l.text + QStringLiteral("\r\n");
    }
    return utf8_ ? kUtf8Bom + text.toUtf8() : toCp1251(text);
}

Result IniFile::save(const QString& path) const {
    const auto refuse = [&](const QString& why) {
        return Result(ResultCode::Refused, QStringLiteral("Can not write %1: %2").arg(path, why));
    };
    if (!problem_.isEmpty())
        return refuse(QStringLiteral("the file there was not read (%1), so it is left as it is").arg(problem_));
    if (const QFileInfo target(path); target.exists() && !target.isFile())
        return refuse(QStringLiteral("not a regular file"));

    return writeWholeFile(path, toBytes(), WriteRole::OwnFile);
}

}  // namespace qv
