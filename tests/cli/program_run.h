#pragma once
// Runs a program as a script would and keeps what it said: its exit code (-1 when it crashed or
// had to be killed), stdout and stderr, with Windows' CR LF line ends read as LF.
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
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished(2000);
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput().replace("\r\n", "\n"), p.readAllStandardError().replace("\r\n", "\n")};
}

// quorvanta-cli of this build.
inline ProgramRun cli(const QStringList& args, const QString& cwd = {}) {
    return runProgram(QStringLiteral(QV_BIN_DIR "/quorvanta-cli"), args, cwd);
}

}  // namespace qvtest
