// phone info, read, write and restore.
#include "cli/cli_command.h"
#include "editors/changed_rows.h"
#include "cli/cli_phone_session.h"
#include "editors/item_views.h"
#include "session/phone_write_task.h"
#include "session/restore_patch_task.h"
#include "files/workspace.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

namespace qv::cli {
namespace {

// A failed or aborted task: the message of its result code, and what the task said of it.
[[noreturn]] void failTransfer(const Result& r) {
    const QString& detail = r.detail();
    if (r.aborted() || detail.isEmpty()) throw Failure(resultMessage(r.code()));
    if (r == ResultCode::WriteNotVerified) throw Failure(detail);  // it names the row itself
    if (detail.startsWith(resultMessage(r.code()))) throw Failure(detail);  // the message with the system's reason
    throw Failure(resultMessage(r.code()) + QStringLiteral(" (") + QString(detail).replace('\n', ' ') + QLatin1Char(')'));
}

QJsonValue info(const Args& a) {
    a.requireCount(1, 1);
    CommandPhoneSession session(a);
    const Result r = session.runInfo();
    // The bare values: the phone's answers without the space the dialog shows them after.
    const QJsonObject shown{{"model", session.phone.shownModel().trimmed()},
                            {"version", session.phone.shownVersion().trimmed()}};
    if (!r) {
        printJson(shown);
        failTransfer(r);
    }
    return shown;
}

QJsonValue read(const Args& a) {
    a.requireCount(2, 2);
    Workspace ws;
    openServiceFile(ws, a.positional(1), false);
    CommandPhoneSession session(a);
    const uint32_t baud = session.transferSpeed(session.settings.baudRD, "BaudRD");
    session.requireLoader();
    session.phone.startRead(ws, session.startSettings(baud));
    if (const Result r = session.finishTransfer(); !r) failTransfer(r);
    const ServiceFileNames n = ws.names();
    QJsonObject out{{"tableFile", n.sav}, {"dataFile", n.mem}, {"version", session.progress.versionLine()}};
    for (ListKind kind : kListKinds) out[listName(kind)] = ws.rowCount(kind);
    return out;
}

// "all" or comma-separated row indexes.
void tickRows(Workspace& ws, ListKind kind, const QString& list) {
    auto& ticks = ws.ticks(kind);
    if (list == "all") {
        std::fill(ticks.begin(), ticks.end(), true);
        return;
    }
    for (const QString& part : list.split(',', Qt::SkipEmptyParts)) ticks[size_t(rowIndex(part.trimmed(), int(ticks.size())))] = true;
}

QJsonArray stillTicked(Workspace& ws, ListKind kind) {
    QJsonArray rows;
    const auto& ticks = ws.ticks(kind);
    for (size_t i = 0; i < ticks.size(); ++i)
        if (ticks[i]) rows.append(int(i));
    return rows;
}

QJsonValue write(const Args& a) {
    a.requireCount(2, 2);
    Workspace ws;
    openServiceFile(ws, a.positional(1), true);
    if (Result s = loadOperatorRecords(ws); !s) throw Failure(s.message());
    if (a.has("changed-since")) {
        // Every row whose item differs from the older service file: a whole translation at once.
        const auto changed = rowsChangedSince(ws, a.value("changed-since"));
        if (!changed) throw Failure(changed.error().message());
        for (ListKind kind : kListKinds)
            for (int row : changed->rows[size_t(kind)]) ws.ticks(kind)[size_t(row)] = true;
    }
    QJsonObject ticked;
    qsizetype total = 0;
    for (ListKind kind : kListKinds) {
        const QString name = QLatin1String(listName(kind));
        if (a.has(name)) tickRows(ws, kind, a.value(name));
        ticked[name] = stillTicked(ws, kind).size();
        total += stillTicked(ws, kind).size();
    }
    if (total == 0) {
        printMessage(QStringLiteral("No row is ticked: nothing was written to the phone"));
        return QJsonObject{{"written", ticked}};
    }
    CommandPhoneSession session(a);
    const uint32_t baud = session.transferSpeed(session.settings.baudWR, "BaudWR");
    session.requireLoader();
    const QString backup = a.flag("backup") ? QDir::current().filePath(backupFileName(QDateTime::currentDateTime())) : QString();
    // The task makes the backup with its first record; a file of that name from before is not ours.
    const auto backupWritten = [&backup, before = !backup.isEmpty() && QFile::exists(backup)] {
        return !backup.isEmpty() && !before && QFile::exists(backup);
    };
    const bool verify = session.settings.verify != 0 && !a.flag("no-verify");
    session.phone.startWrite(ws, backup, verify, session.startSettings(baud));
    if (const Result r = session.finishTransfer(); !r) {
        if (backupWritten())
            printMessage(QStringLiteral("The phone's old bytes so far are in %1").arg(backup));
        failTransfer(r);
    }
    QJsonObject out{{"written", ticked}};
    if (backupWritten()) out["backupFile"] = backup;
    return out;
}

QJsonValue restore(const Args& a) {
    a.requireCount(2, 2);
    const Expected<std::unique_ptr<QFile>> patch = openRestorePatch(a.positional(1));
    if (!patch) throw Failure(patch.error().message());
    CommandPhoneSession session(a);
    const uint32_t baud = session.transferSpeed(session.settings.baudWR, "BaudWR");
    session.requireLoader();
    const bool verify = session.settings.verify != 0 && !a.flag("no-verify");
    session.phone.startRestore(**patch, verify, session.startSettings(baud));
    if (const Result r = session.finishTransfer(); !r) failTransfer(r);
    return QJsonObject{{"patchFile", a.positional(1)}, {"bytes", double((*patch)->size())}};
}

QJsonValue phone(const Args& a) {
    const QString what = a.positional(0);
    if (what == "info") return info(a);
    if (what == "read") return read(a);
    if (what == "write") return write(a);
    if (what == "restore") return restore(a);
    throw UsageError("phone needs one of: info, read, write, restore");
}

// The speeds a transfer can run at, as the help names them: "9600, 19200, ... or 230400".
QString speedChoice() {
    QStringList speeds;
    for (uint32_t baud : PhoneSession::transferSpeeds()) speeds.append(QString::number(baud));
    const QString last = speeds.takeLast();
    return speeds.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

}  // namespace

std::vector<Command> phoneCommands() {
    QSet<QString> valued = kPhoneOptions;
    valued.unite({"pictures", "melodies", "operators", "strings", "changed-since"});
    return {
        {"phone",
         "info | read FILE.sav | write FILE.sav [--backup] [--no-verify] [--pictures LIST] [--melodies LIST] "
         "[--operators LIST] [--strings LIST] [--changed-since OLD.sav] | restore PATCH.flp [--no-verify]   [--port NAME] [--loader PATH] "
         "[--keypad-wait MS] [--baud B] [--boot-timeout S]",
         "Talks to the phone: model and version (info), reads it into new service files (read), writes ticked rows "
         "(write; LIST is comma-separated row indexes or 'all'; --changed-since also ticks every row whose item differs "
         "from OLD.sav, an older service file of the same phone; --backup saves the old bytes as a restore patch, "
         "made only once the first of them was read), or writes a restore patch back (restore). write and restore "
         "read back what they wrote before letting go of the phone (the Verify setting, on by default); a row the "
         "phone does not hold as written fails the command, naming the row; --no-verify skips the read-back. B must "
         "be a speed the loader knows: " + speedChoice() + ". read, write and restore wait for the phone's "
         "boot code until Ctrl-C (after 10 s they remind you once to connect the cable and press and hold the power "
         "button); --boot-timeout S gives up when the boot code, or the loader it started, has not answered after "
         "S seconds. Ctrl-C acts as Cancel.",
         valued,
         {"backup", "no-verify"},
         phone},
    };
}

}  // namespace qv::cli
