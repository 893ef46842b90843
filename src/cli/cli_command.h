#pragma once
// One command of quorvanta-cli: its name, help and handler.
#include "cli/cli_args.h"

#include <QJsonValue>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace qv {
class Workspace;
class PairLockGuard;
}

namespace qv::cli {

struct Command {
    QString name;
    QString usage;  // arguments after the name
    QString help;   // what it does
    QSet<QString> valued;
    QSet<QString> flags;
    // Returns the JSON document to print.
    std::function<QJsonValue(const Args&)> run;
};

std::vector<Command> serviceFileCommands();
std::vector<Command> pictureCommands();
std::vector<Command> phoneCommands();
std::vector<Command> editCommands();
std::vector<Command> bulkCommands();
std::vector<Command> machineCommands();

// Opens a service file for a command; fails unless the data file exists when `needData`.
void openServiceFile(Workspace& workspace, const QString& path, bool needData);
// The same for a command that changes the service file: the pair stays locked against other
// processes from the open to the save, so that no other save falls between them.
[[nodiscard]] std::unique_ptr<PairLockGuard> openServiceFileToChange(Workspace& workspace, const QString& path,
                                                                     bool needData);
// A row index given on the command line, checked against the list.
int rowIndex(const QString& text, int rows);
void printJson(const QJsonValue& value);
// One line on stderr, with any control character in it (from a file name or a file's text)
// written as an escape, so that the terminal shows it and does not act on it.
void printMessage(const QString& line);

}  // namespace qv::cli
