#include "base/language_table.h"
#include "base/last_resort.h"
#include "base/program_dir.h"
#include "cli/cli_main.h"
#include "files/file_places.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    qv::installLastResortHandler("quorvanta-cli");
    QCoreApplication app(argc, argv);
    if (const QString warning = qv::languageTable().load(qv::FilePlaces::current().languageFolder()); !warning.isEmpty())
        std::fprintf(stderr, "quorvanta-cli: warning: %s\n", qPrintable(warning));
    QStringList words = QCoreApplication::arguments();
    words.removeFirst();
    return qv::cli::runCommandLine(words);
}
