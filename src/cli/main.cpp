#include "base/language_table.h"
#include "base/program_dir.h"
#include "cli/cli_main.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qv::languageTable().load(qv::programDirectory());
    QStringList words = QCoreApplication::arguments();
    words.removeFirst();
    return qv::cli::runCommandLine(words);
}
