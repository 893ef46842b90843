// quorvanta [--debug] [--loader PATH] [FILE.sav]
#include "app/main_window.h"
#include "base/language_table.h"
#include "base/last_resort.h"
#include "link/debug_log.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <exception>

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

}  // namespace

int main(int argc, char** argv) {
    qv::installLastResortHandler("quorvanta");
    QuorvantaApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quorvanta"));
    qv::MainWindowOptions options;
    QString file;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--debug") {
            qv::setDebugLogEnabled(true);
        } else if (args[i] == "--loader" && i + 1 < args.size()) {
            options.loaderPath = args[++i];
        } else if (args[i] == "--settings" && i + 1 < args.size()) {
            options.settingsPath = args[++i];
        } else if (args[i] == "--keypad-wait" && i + 1 < args.size()) {
            options.keypadWaitMs = args[++i].toInt();
        } else if (args[i] == "--help") {
            std::puts("Usage: quorvanta [--debug] [--loader PATH] [--settings PATH] [--keypad-wait MS] [FILE.sav]");
            return 0;
        } else if (!args[i].startsWith("--")) {
            file = args[i];
        }
    }
    qv::TForm1 window(options);  // loads the language table
    // The window has no console: a language.ini that could not be used is noted in the log.
    if (const QString warning = qv::languageTable().loadWarning(); !warning.isEmpty())
        qv::writeLog(QStringLiteral("X: ") + warning);
    app.setApplicationDisplayName(qv::langText("8001"));
    window.show();
    if (!file.isEmpty())
        QTimer::singleShot(0, &window, [&window, file] { window.openServiceFile(QFileInfo(file).absoluteFilePath()); });
    return app.exec();
}
