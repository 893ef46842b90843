// quorvanta [--debug] [--loader PATH] [--settings FILE] [--keypad-wait MS] [FILE.sav]
#include "app/main_window.h"
#include "base/command_line.h"
#include "base/language_table.h"
#include "base/last_resort.h"
#include "files/file_places.h"
#include "session/phone_session.h"
#include "quorvanta_version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <exception>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// An exception that reaches the event loop is shown and the program goes on.
class QuorvantaApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            QMessageBox::critical(activeWindow(), applicationName(), QString::fromLocal8Bit(e.what()));
        } catch (...) {
            QMessageBox::critical(activeWindow(), applicationName(), QStringLiteral("Unexpected error"));
        }
        return false;
    }
};

// The man page is made from this text: "Title:" starts a section, "  TERM" and the lines
// indented by six spaces below it are one entry.
const char* const kHelp =
    "Usage: quorvanta [--debug] [--loader PATH] [--settings FILE] [--keypad-wait MS] [FILE.sav]\n"
    "\n"
    "Options:\n"
    "  --debug\n"
    "      Writes the debug log rozezu.log in the current folder.\n"
    "  --loader PATH\n"
    "      The phone's 7,116-byte loader image (default: loader.bin beside the program).\n"
    "  --settings FILE\n"
    "      The settings file to read and write instead of setting.ini (which lies beside the\n"
    "      program, or in the per-user configuration folder of an installed copy).\n"
    "  --keypad-wait MS\n"
    "      The pause after the keypad command, in milliseconds (default 4000).\n"
    "  --paths\n"
    "      Prints where this copy keeps its settings, looks for language.ini, and writes\n"
    "      exports and backups (making the per-user folders an installed copy uses).\n"
    "  --version\n"
    "      Prints the version.\n"
    "  --help\n"
    "      Prints this help.\n";

void printPaths() {
    const qv::FilePlaces places = qv::FilePlaces::current();
    const auto line = [](const char* what, const QString& path) {
        std::printf("%-9s %s\n", what, QDir::toNativeSeparators(path).toLocal8Bit().constData());
    };
    line("settings", places.settingsPath());
    for (const QString& path : places.languagePaths()) line("language", path);
    line("exports", places.exportFolder());
    line("backups", places.backupFolder());
}

// Read twice: from argv before the application exists (--version, --help and --paths need no
// display), then from what QApplication leaves once it took its own options (-platform, -style).
// A word the window does not know, or a value left out, is passed over: the window starts anyway.
void readCommandLine(QCommandLineParser& parser, const QStringList& words) {
    parser.addOptions({{"debug", {}}, {"loader", {}, "PATH"}, {"settings", {}, "FILE"}, {"keypad-wait", {}, "MS"},
                       {"paths", {}}, {"version", {}}, {"help", {}}});
    qv::parseWords(parser, words);
}

#ifdef Q_OS_UNIX
// SIGTERM (a session that ends, kill), SIGINT (Ctrl-C where it was started) and SIGHUP close
// the window as its close button does, so the settings are saved. The handler only writes a
// byte; the event loop reads it. Installed before the window exists, so that a signal that
// comes early waits in the socket instead of ending the program unsaved.
int g_quitSignal[2] = {-1, -1};

void onQuitSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_quitSignal[1], &byte, 1);
}

void catchQuitSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_quitSignal) != 0) return;
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

void closeOnQuitSignal(QWidget* window) {
    if (g_quitSignal[0] < 0) return;
    auto* notifier = new QSocketNotifier(qintptr(g_quitSignal[0]), QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window, notifier] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(g_quitSignal[0], &byte, 1);
        notifier->setEnabled(false);
        window->close();
    });
}
#else
void catchQuitSignals() {}
void closeOnQuitSignal(QWidget*) {}
#endif

#ifdef Q_OS_WIN
// On Windows the window is a GUI program, so that no console opens beside it; its --version,
// --help and --paths answers then go to the console it was typed into, unless its output is
// already redirected to a file or a pipe.
void answerInParentConsole() {
    if (GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) != FILE_TYPE_UNKNOWN) return;
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        [[maybe_unused]] FILE* out = std::freopen("CONOUT$", "w", stdout);
    }
}
#else
void answerInParentConsole() {}
#endif

}  // namespace

int main(int argc, char** argv) {
    qv::installLastResortHandler("quorvanta");
    QStringList words;
    for (int i = 1; i < argc; ++i) words << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser early;
    readCommandLine(early, words);
    for (const QString& name : early.optionNames()) {  // the first of them answers
        if (name == "version" || name == "help" || name == "paths") answerInParentConsole();
        if (name == "version") {
            std::puts("quorvanta " QV_VERSION);
            return 0;
        }
        if (name == "help") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (name == "paths") {
            printPaths();
            return 0;
        }
    }
    catchQuitSignals();
    QuorvantaApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quorvanta"));
    app.setApplicationVersion(QStringLiteral(QV_VERSION));
    QCommandLineParser parser;
    readCommandLine(parser, QApplication::arguments().mid(1));
    if (parser.isSet("debug")) qv::PhoneSession::setDebugLogEnabled(true);
    qv::MainWindowOptions options;
    if (const QStringList v = parser.values("loader"); !v.isEmpty()) options.loaderPath = qv::plain(v.last());
    if (const QStringList v = parser.values("settings"); !v.isEmpty()) options.settingsPath = qv::plain(v.last());
    if (const QStringList v = parser.values("keypad-wait"); !v.isEmpty())
        options.keypadWaitMs = qv::plain(v.last()).toInt();
    QStringList files = qv::plain(parser.positionalArguments());
    files.removeAll(QStringLiteral("--"));  // never taken for a file name here
    const QString file = files.isEmpty() ? QString() : files.last();
    qv::MainWindow window(options);  // loads the language table
    // The window has no console: a language.ini that could not be used is noted in the log.
    if (const QString warning = qv::languageTable().loadWarning(); !warning.isEmpty())
        qv::PhoneSession::writeDebugLine(QStringLiteral("X: ") + warning);
    app.setApplicationDisplayName(qv::langText(qv::Text::ProgramName));
    closeOnQuitSignal(&window);
    window.show();
    if (!file.isEmpty())
        QTimer::singleShot(0, &window, [&window, file] { window.openServiceFile(QFileInfo(file).absoluteFilePath()); });
    return app.exec();
}
