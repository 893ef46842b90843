#include "link/debug_log.h"

#include "base/cp1251.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <atomic>
#include <cstdio>
#include <mutex>

namespace qv {
namespace {

std::atomic<bool> g_enabled{false};

std::mutex g_handlerMutex;
LogFailureHandler g_handler;

void defaultHandler(const QString& text, const QString& caption, bool) {
    std::fprintf(stderr, "%s: %s\n", caption.toLocal8Bit().constData(), text.toLocal8Bit().constData());
}

void reportFailure(const QString& text, bool isError) {
    LogFailureHandler h;
    {
        std::lock_guard lock(g_handlerMutex);
        h = g_handler;
    }
    const QString caption = QStringLiteral("Debug");
    if (h) h(text, caption, isError);
    else defaultHandler(text, caption, isError);
}

QString timestamp() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    return locale.toString(now.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(now.time(), QLocale::LongFormat);
}

#ifdef Q_OS_WIN
constexpr const char* kLineEnd = "\r\n";
#else
constexpr const char* kLineEnd = "\n";
#endif

}  // namespace

void setDebugLogEnabled(bool on) { g_enabled.store(on); }
bool debugLogEnabled() { return g_enabled.load(); }

void setLogFailureHandler(LogFailureHandler handler) {
    std::lock_guard lock(g_handlerMutex);
    g_handler = std::move(handler);
}

void writeLog(const QString& message) {
    if (!debugLogEnabled()) return;
    try {
        QFile f(QStringLiteral("rozezu.log"));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Append) &&
            !f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            reportFailure(message, false);
            return;
        }
        const QByteArray line = toCp1251(QString(timestamp() + QStringLiteral(": ") + message)) + kLineEnd;
        const bool written = f.write(line) == line.size() && f.flush();
        f.close();
        if (!written) reportFailure(QStringLiteral("Can not write to log file!"), true);
    } catch (...) {
        // A log line is never worth failing the operation that writes it.
    }
}

}  // namespace qv
