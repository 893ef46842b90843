#pragma once
#include <QString>

namespace qv {

// The folder of the running executable, where language.ini, setting.ini and loader.bin live.
// Works before (or without) a QCoreApplication, as the tests and early start-up need.
QString programDirectory();

}  // namespace qv
