#pragma once
// The developer's step log, "rozezu.log" in the current directory, written only while the
// debug switch is on. Both the user-interface thread and the worker write to it; each line is
// its own open-append-close, so no lock and no handle kept between calls.
#include <QString>
#include <functional>

namespace qv {

void setDebugLogEnabled(bool on);  // off when the process starts
bool debugLogEnabled();

// One line "<local date-time>: <message>", Windows-1251. Never fails towards the caller.
void writeLog(const QString& message);

// How a log failure reaches the user. This layer has no widgets, so the application installs
// a handler that shows a message box; the default prints "Debug: <text>" to stderr.
// isError: true for the failed write (error icon), false for the file that could not be
// opened (information icon, text = the message that was to be logged).
using LogFailureHandler = std::function<void(const QString& text, const QString& caption, bool isError)>;
void setLogFailureHandler(LogFailureHandler handler);  // an empty handler restores the default

}  // namespace qv
