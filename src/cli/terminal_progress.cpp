#include "cli/terminal_progress.h"

#include <cstdio>
#include <unistd.h>

namespace qv::cli {

TerminalProgress::TerminalProgress() : tty_(::isatty(2) == 1) {}

TerminalProgress::~TerminalProgress() {
    if (tty_ && !lastDrawn_.isEmpty()) std::fputc('\n', stderr);
}

void TerminalProgress::setText(const QString& text) {
    std::lock_guard lock(mutex_);
    text_ = text;
    draw();
}
void TerminalProgress::setMaximum(int maximum) {
    std::lock_guard lock(mutex_);
    maximum_ = maximum;
}
void TerminalProgress::setPosition(int position) {
    std::lock_guard lock(mutex_);
    position_ = position;
    draw();
}
void TerminalProgress::setVersionLine(const QString& text, bool visible) {
    std::lock_guard lock(mutex_);
    version_ = visible ? text : QString();
}
void TerminalProgress::showError(const QString& text, const QString&) {
    std::lock_guard lock(mutex_);
    error_ = text;
}
void TerminalProgress::note(const QString& line) {
    std::lock_guard lock(mutex_);
    const QByteArray text = line.toUtf8();
    if (tty_ && !lastDrawn_.isEmpty()) {
        std::fprintf(stderr, "\r\x1b[K%s\n", text.constData());
        std::fputs((lastDrawn_ + QStringLiteral("\x1b[K")).toUtf8().constData(), stderr);
    } else {
        std::fprintf(stderr, "%s\n", text.constData());
    }
    std::fflush(stderr);
}

QString TerminalProgress::errorText() const {
    std::lock_guard lock(mutex_);
    return error_;
}
QString TerminalProgress::versionLine() const {
    std::lock_guard lock(mutex_);
    return version_;
}
QString TerminalProgress::lastText() const {
    std::lock_guard lock(mutex_);
    return text_;
}

void TerminalProgress::draw() {
    if (!tty_) return;
    constexpr int kWidth = 30;
    const int filled = maximum_ > 0 ? std::clamp(position_ * kWidth / maximum_, 0, kWidth) : 0;
    const QString line = QStringLiteral("\r[%1%2] %3/%4 %5")
                             .arg(QString(filled, QChar('#')), QString(kWidth - filled, QChar('.')))
                             .arg(position_).arg(maximum_).arg(text_.left(50));
    if (line == lastDrawn_) return;
    lastDrawn_ = line;
    std::fputs((line + QStringLiteral("\x1b[K")).toUtf8().constData(), stderr);
    std::fflush(stderr);
}

}  // namespace qv::cli
