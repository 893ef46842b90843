#include "base/language_table.h"
#include "base/last_resort.h"
#include "base/printable_text.h"
#include "base/program_dir.h"
#include "base/quiet_stderr.h"
#include "cli/cli_main.h"
#include "files/file_places.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace {

// A command's stderr is its one line of why; Qt's own remarks (an image plugin's complaint
// about a damaged file, say) would only bury it.
void dropQtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtFatalMsg) return;
    std::fprintf(stderr, "quorvanta-cli: %s\n", qPrintable(qv::printableText(text)));
    std::abort();
}

}  // namespace

int main(int argc, char** argv) {
    qv::installLastResortHandler("quorvanta-cli");
    qInstallMessageHandler(dropQtMessages);
    qv::setQuietStandardError(true);
    QCoreApplication app(argc, argv);
    if (const QString warning = qv::languageTable().load(qv::FilePlaces::current().languageFolder()); !warning.isEmpty())
        std::fprintf(stderr, "quorvanta-cli: warning: %s\n", qPrintable(qv::printableText(warning)));
    QStringList words = QCoreApplication::arguments();
    words.removeFirst();
    return qv::cli::runCommandLine(words);
}
