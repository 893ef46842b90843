#include "base/program_dir.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

// The test programs run without a QCoreApplication, like the start-up code before it has one.
TEST(ProgramDirectory, IsTheExecutablesFolderWithoutApplication) {
    EXPECT_EQ(QDir(qv::programDirectory()).canonicalPath(), QDir(QStringLiteral(QV_BIN_DIR)).canonicalPath());
}

}  // namespace
