#include "cli/cli_main.h"

#include "base/command_line.h"
#include "base/printable_text.h"
#include "cli/cli_command.h"
#include "session/phone_session.h"
#include "quorvanta_version.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <exception>
#include <new>

namespace qv::cli {
namespace {

std::vector<Command> allCommands() {
    std::vector<Command> all = serviceFileCommands();
    for (auto& c : pictureCommands()) all.push_back(std::move(c));
    for (auto& c : editCommands()) all.push_back(std::move(c));
    for (auto& c : bulkCommands()) all.push_back(std::move(c));
    for (auto& c : phoneCommands()) all.push_back(std::move(c));
    for (auto& c : machineCommands()) all.push_back(std::move(c));
    return all;
}

void printLine(FILE* to, const QString& text) {
    std::fputs(text.toUtf8().constData(), to);
    std::fputc('\n', to);
}

void printOverview(FILE* to) {
    printLine(to, "Usage: quorvanta-cli [--debug] COMMAND [ARGUMENTS]\n\nCommands:");
    for (const Command& c : allCommands()) printLine(to, QStringLiteral("  %1 %2\n      %3").arg(c.name, c.usage, c.help));
    printLine(to, "\nquorvanta-cli COMMAND --help describes one command. --debug writes rozezu.log in the current folder.\n"
                  "--version prints the version.");
}

int unknownCommand(const QString& name) {
    printMessage(QStringLiteral("quorvanta-cli: unknown command '%1'").arg(name));
    printOverview(stderr);
    return 2;
}

}  // namespace

void printMessage(const QString& line) { printLine(stderr, printableText(line)); }

void printJson(const QJsonValue& value) {
    const QJsonDocument doc = value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    std::fputs(doc.toJson(QJsonDocument::Indented).constData(), stdout);
    std::fflush(stdout);
}

int runCommandLine(const QStringList& input) {
    // The options before the command name; the command's own words, --debug and --help among
    // them, go to its Args.
    QCommandLineParser top;
    top.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    top.addOptions({{"debug", {}}, {"version", {}}, {"help", {}}});
    const bool fine = parseWords(top, input);
    if (top.isSet("debug")) PhoneSession::setDebugLogEnabled(true);
    QStringList words = plain(top.positionalArguments());
    if (top.isSet("help") || (fine && !words.isEmpty() && (words.first() == "-h" || words.first() == "help"))) {
        printOverview(stdout);
        return 0;
    }
    if (!fine) return unknownCommand(mistakeOf(top, input).word);
    if (top.isSet("version")) {
        if (!words.isEmpty()) return unknownCommand("--version");
        printLine(stdout, QStringLiteral("quorvanta-cli " QV_VERSION));
        return 0;
    }
    if (words.isEmpty()) {
        printOverview(stderr);
        return 2;
    }
    const QString name = words.takeFirst();
    for (const Command& c : allCommands()) {
        if (c.name != name) continue;
        try {
            const Args args(words, c.valued, c.flags + QSet<QString>{"debug", "help"});
            if (args.flag("help")) {
                printLine(stdout, QStringLiteral("Usage: quorvanta-cli %1 %2\n%3").arg(c.name, c.usage, c.help));
                return 0;
            }
            if (args.flag("debug")) PhoneSession::setDebugLogEnabled(true);
            printJson(c.run(args));
            return 0;
        } catch (const UsageError& e) {
            printMessage(QStringLiteral("quorvanta-cli %1: %2").arg(name, QString::fromUtf8(e.what())));
            printLine(stderr, QStringLiteral("Usage: quorvanta-cli %1 %2").arg(name, c.usage));
            return 2;
        } catch (const Failure& e) {
            printMessage(QString::fromUtf8(e.what()));
            return 1;
        } catch (const std::bad_alloc&) {
            printLine(stderr, QStringLiteral("quorvanta-cli %1: not enough memory for this operation").arg(name));
            return 1;
        } catch (const std::exception& e) {
            printMessage(QStringLiteral("quorvanta-cli %1: unexpected error: %2").arg(name, QString::fromLocal8Bit(e.what())));
            return 1;
        }
    }
    return unknownCommand(name);
}

}  // namespace qv::cli
