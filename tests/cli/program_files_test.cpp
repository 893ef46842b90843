// The files beside the programs: language.ini and setting.ini that are no INI text must not
// stop quorvanta-cli; and the demo model maker answers --help and names a wrong word.
#include "base/not_ini_files.h"
#include "cli/program_run.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using namespace qvtest;

void removePath(const QString& path) {
    if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink()) QDir(path).removeRecursively();
    QFile::remove(path);
}

// quorvanta-cli reads language.ini and setting.ini beside itself, so it runs from a copy in a
// folder of the test's own.
class ProgramFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new ScratchDir;
#ifdef _WIN32
        // The copy finds the built program's DLLs through the search path.
        copyOk = QFile::copy(QStringLiteral(QV_BIN_DIR "/quorvanta-cli.exe"), program() + ".exe");
        const QString bin = QDir::toNativeSeparators(QFileInfo(QStringLiteral(QV_BIN_DIR)).absoluteFilePath());
        qputenv("PATH", bin.toLocal8Bit() + ';' + qgetenv("PATH"));
#else
        copyOk = QFile::copy(QStringLiteral(QV_BIN_DIR "/quorvanta-cli"), program());
#endif
    }
    static void TearDownTestSuite() { delete dir; }
    void SetUp() override { ASSERT_TRUE(copyOk) << "quorvanta-cli is not built"; }
    void TearDown() override {
        removePath(dir->path("language.ini"));
        removePath(dir->path("setting.ini"));
    }
    static QString program() { return dir->path("quorvanta-cli"); }

    static inline ScratchDir* dir = nullptr;
    static inline bool copyOk = false;
};

TEST_F(ProgramFiles, LanguageFileThatIsNoTextIsIgnoredWithOneWarning) {
    for (const NotIniFile& c : notIniFiles()) {
        const QString path = dir->path("language.ini");
        c.make(path);
        const ProgramRun r = runProgram(program(), {"--help"});
        EXPECT_EQ(r.code, 0) << c.name << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("Usage")) << c.name;
        const QList<QByteArray> lines = r.err.trimmed().split('\n');
        ASSERT_EQ(lines.size(), 1) << c.name << ": " << r.err.toStdString();
        EXPECT_TRUE(lines[0].contains("warning")) << c.name;
        EXPECT_TRUE(lines[0].contains(QFile::encodeName(QDir::toNativeSeparators(path)))) << c.name;
        removePath(path);
    }
}

TEST_F(ProgramFiles, PhoneCommandRunsOnBuiltInTextsAndDefaultSettings) {
    const QStringList info = {"phone", "info", "--port", dir->path("no-such-port")};

    writeAll(dir->path("language.ini"), "[Language]\r\n034=Port kaputt\r\n");
    ProgramRun r = runProgram(program(), info);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.startsWith("Port kaputt")) << r.err.toStdString();

#ifdef _WIN32
    GTEST_SKIP() << "Windows has no device files";
#endif
    removePath(dir->path("language.ini"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir->path("language.ini")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir->path("setting.ini")));
    r = runProgram(program(), info);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("warning")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("\nCan not open COM port")) << r.err.toStdString();
}

TEST(DemoModelProgram, WrongWordsAreNamedOnOneLineWithExitCodeOneAndHelpSucceeds) {
    const QString program = QStringLiteral(QV_BIN_DIR "/quorvanta-demo-model" QV_EXE);
    if (!QFileInfo::exists(program)) GTEST_SKIP() << "the program is not built";
    struct Case {
        QStringList args;
        const char* stderrStart;
    };
    const Case cases[] = {
        {{}, "no output folder"},
        {{"-x", "out"}, "unexpected argument -x"},
        {{"-"}, "unexpected argument -"},
        {{"out", "more"}, "unexpected argument more"},
        {{"--bogus", "out"}, "unexpected argument --bogus"},
        {{"out", "--full=1"}, "unexpected argument --full=1"},
        {{"out", "--name"}, "unexpected argument --name"},
        {{"out", "--phone-type", "-1"}, "the phone type must be a number"},
    };
    for (const Case& c : cases) {
        const ProgramRun r = runProgram(program, c.args);
        EXPECT_EQ(r.code, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(c.stderrStart)) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    }
    for (const QStringList& args : {QStringList{"--help"}, QStringList{"out", "-h"}}) {  // help goes to stdout and succeeds
        const ProgramRun help = runProgram(program, args);
        EXPECT_EQ(help.code, 0);
        EXPECT_TRUE(help.out.startsWith("Usage: quorvanta-demo-model OUTDIR")) << help.out.toStdString();
        EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();
    }
}

}  // namespace
