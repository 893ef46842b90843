// The machine's side of both programs: `quorvanta-cli ports`, --version, and the man pages
// made from --help.
#include "cli/program_run.h"
#include "quorvanta_version.h"
#include "support/test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

qvtest::ProgramRun run(const char* program, const QStringList& args) {
    return qvtest::runProgram(QStringLiteral(QV_BIN_DIR "/") + program, args);
}

TEST(Ports, PrintsAJsonListOfPortsWithTheirNamesUsbFirst) {
    const qvtest::ProgramRun r = run("quorvanta-cli", {"ports"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    ASSERT_TRUE(doc.isArray()) << "an empty machine still gives a list: " << r.out.toStdString();

    const QStringList keys = {"description", "manufacturer", "path", "productId", "serialNumber", "vendorId"};
    bool seenOther = false;
    for (const QJsonValue& v : doc.array()) {
        ASSERT_TRUE(v.isObject());
        const QJsonObject port = v.toObject();
        EXPECT_EQ(port.keys(), keys);
        EXPECT_FALSE(port["path"].toString().isEmpty());
        for (const char* text : {"description", "manufacturer", "serialNumber"}) EXPECT_TRUE(port[text].isString());
        for (const char* id : {"vendorId", "productId"}) {
            const QJsonValue n = port[id];
            EXPECT_TRUE(n.isNull() || (n.isDouble() && n.toDouble() >= 0 && n.toDouble() <= 0xFFFF)) << id;
        }
        const bool usb = !port["vendorId"].isNull();
        EXPECT_FALSE(usb && seenOther) << "a USB adapter after another port: " << r.out.toStdString();
        seenOther = seenOther || !usb;
    }

    EXPECT_EQ(run("quorvanta-cli", {"ports", "extra"}).code, 2);
}

// Both programs print the project's version; the window program answers --version, --help and
// --paths before it starts, whatever else the line holds (Qt's own options among it): the first
// of them.
TEST(Version, BothProgramsPrintTheProjectVersionAndTheWindowProgramAnswersTheFirstOfItsQuestions) {
    const struct {
        const char* program;
        QStringList args;
        QByteArray outStart;
        bool whole;  // the output is exactly outStart
    } cases[] = {
        {"quorvanta-cli", {"--version"}, "quorvanta-cli " QV_VERSION "\n", true},
        {"quorvanta", {"--version"}, "quorvanta " QV_VERSION "\n", true},
        {"quorvanta", {"--paths", "--help"}, "settings ", false},
        {"quorvanta", {"--debug", "--help", "--version"}, "Usage: quorvanta ", false},
        {"quorvanta", {"-platform", "offscreen", "--bogus", "--loader", "x", "--version", "--paths"}, "quorvanta " QV_VERSION "\n", false},
    };
    for (const auto& c : cases) {
        const qvtest::ProgramRun r = run(c.program, c.args);
        EXPECT_EQ(r.code, 0) << c.program << " " << c.args.join(' ').toStdString();
        EXPECT_TRUE(c.whole ? r.out == c.outStart : r.out.startsWith(c.outStart)) << c.program << ": " << r.out.toStdString();
    }
}

// The man page holds every entry of the program's --help: each "  TERM" line is a .TP entry
// with the term's first word in bold (hyphens escaped as roff wants them).
TEST(ManPages, HoldEveryEntryOfTheProgramsHelpAndTheVersion) {
#ifdef _WIN32
    GTEST_SKIP() << "a cross build makes no man pages";
#endif
    for (const char* program : {"quorvanta-cli", "quorvanta"}) {
        const qvtest::ProgramRun help = run(program, {"--help"});
        ASSERT_EQ(help.code, 0) << program;
        const QString pagePath = QStringLiteral(QV_BIN_DIR "/../man/%1.1").arg(program);
        ASSERT_TRUE(QFileInfo::exists(pagePath)) << pagePath.toStdString();
        EXPECT_TRUE(QFileInfo(pagePath + ".gz").size() > 0) << program;
        const QString page = QString::fromUtf8(qvtest::readAll(pagePath));

        EXPECT_TRUE(page.startsWith(".TH ")) << program;
        EXPECT_TRUE(page.section('\n', 0, 0).contains("Quorvanta " QV_VERSION)) << program;
        const QString usage = QString::fromUtf8(help.out).section('\n', 0, 0);
        ASSERT_TRUE(usage.startsWith("Usage: ")) << program;
        const QString synopsis = usage.section(' ', 2).replace('-', "\\-");
        EXPECT_TRUE(page.contains(".SH SYNOPSIS\n.B " + QString(program).replace('-', "\\-") + "\n" + synopsis + "\n"))
            << program;

        int entries = 0;
        static const QRegularExpression term(QStringLiteral("^  (\\S+)"), QRegularExpression::MultilineOption);
        for (auto it = term.globalMatch(QString::fromUtf8(help.out)); it.hasNext();) {
            const QString word = it.next().captured(1);
            EXPECT_TRUE(page.contains(".TP\n\\fB" + QString(word).replace('-', "\\-") + "\\fR"))
                << program << ": " << word.toStdString();
            ++entries;
        }
        EXPECT_GT(entries, 3) << program;
        EXPECT_EQ(page.count(".TP\n\\fB"), entries) << program;
    }
}

}  // namespace
