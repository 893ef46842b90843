#pragma once
// Runs a program as a script would and keeps what it said: its exit code, stdout and stderr.
#include <QByteArray>
#include <QJsonDocument>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace qvtest {

struct ProgramRun {
    int code = -1;
    QByteArray out, err;
    QJsonDocument json() const { return QJsonDocument::fromJson(out); }
};

inline ProgramRun runProgram(const QString& program, const QStringList& args, const QString& cwd = {}) {
    QProcess p;
    if (!cwd.isEmpty()) p.setWorkingDirectory(cwd);
    p.start(program, args);
    p.waitForFinished(120000);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

// quorvanta-cli of this build.
inline ProgramRun cli(const QStringList& args, const QString& cwd = {}) {
    return runProgram(QStringLiteral(QV_BIN_DIR "/quorvanta-cli"), args, cwd);
}

}  // namespace qvtest
