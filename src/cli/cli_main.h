#pragma once
#include <QStringList>

namespace qv::cli {

// Runs one command line (without the program name); returns the exit code.
int runCommandLine(const QStringList& words);

}  // namespace qv::cli
