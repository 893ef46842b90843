// quorvanta-cli as scripts use it: JSON on stdout, one line on stderr, exit codes 0/1/2.
#include "demo_model/demo_model.h"
#include "editors/bmp_file.h"
#include "cli/program_run.h"
#include "support/test_support.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QFile>
#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;

namespace {

class CliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new ScratchDir;
        model = new DemoModel(*makeDemoModel(dir->path(), {5, false, "demo"}));
        built = cli({"build-from-dumps", model->tableFile, model->dump1, model->dump2});
    }
    static void TearDownTestSuite() {
        delete model;
        delete dir;
    }
    static inline ScratchDir* dir = nullptr;
    static inline DemoModel* model = nullptr;
    static inline ProgramRun built;
};

TEST_F(CliTest, BuildShowAndList) {
    ASSERT_EQ(built.code, 0) << built.err.toStdString();
    EXPECT_EQ(built.json().object()["pictures"].toInt(), model->pictures - 1);

    const ProgramRun show = cli({"show", model->tableFile});
    ASSERT_EQ(show.code, 0);
    const QJsonObject s = show.json().object();
    EXPECT_EQ(s["phoneType"].toInt(), 5);
    EXPECT_TRUE(s["dataFile"].toBool());
    EXPECT_EQ(s["versionAddress"].toDouble(), double(kDemoVersionAddress));
    const QJsonObject t1 = s["tables"].toObject()["1"].toObject();
    EXPECT_EQ(t1["present"].toInt(), 1);
    EXPECT_EQ(t1["offset"].toInt(), 220);
    EXPECT_EQ(t1["count"].toInt(), model->pictures);
    EXPECT_EQ(s["tables"].toObject().size(), 9);

    const QJsonArray pictures = cli({"list", "pictures", model->tableFile}).json().array();
    ASSERT_EQ(pictures.size(), model->pictures - 1);
    EXPECT_EQ(pictures[0].toObject()["text"].toString(), "128x160");
    for (const char* f : {"index", "width", "height", "format", "variant", "address", "size", "memOffset", "text"})
        EXPECT_TRUE(pictures[3].toObject().contains(f)) << f;

    const QJsonArray melodies = cli({"list", "melodies", model->tableFile}).json().array();
    ASSERT_EQ(melodies.size(), model->melodies);
    EXPECT_EQ(melodies[0].toObject()["text"].toString(), "1 Ring1");
    EXPECT_EQ(melodies[2].toObject()["name"].toString(), QString::fromUtf8("Утро"));

    const QJsonArray operators = cli({"list", "operators", model->tableFile}).json().array();
    ASSERT_EQ(operators.size(), model->operators);
    EXPECT_EQ(operators[0].toObject()["text"].toString(), "0250-01 NordTel");

    const QJsonArray strings = cli({"list", "strings", model->tableFile}).json().array();
    ASSERT_EQ(strings.size(), model->strings);
    bool sawLineBreak = false;
    for (const auto& v : strings) sawLineBreak |= v.toObject()["text"].toString().contains(QChar(0xB6));
    EXPECT_TRUE(sawLineBreak);
    EXPECT_EQ(strings[5].toObject()["id"].toInt(), 5);
}

TEST_F(CliTest, PicturesExportDecodeAndEncode) {
    const QString out = dir->path("p0.bmp");
    ASSERT_EQ(cli({"export-picture", model->tableFile, "0", out}).code, 0);
    auto bmp = readBmpFile(out);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->width, 128);
    EXPECT_EQ(bmp->bitsPerPixel, 24);
    ASSERT_EQ(cli({"thumbnail", model->tableFile, "0", dir->path("t0.bmp")}).code, 0);
    EXPECT_EQ(readBmpFile(dir->path("t0.bmp"))->width, 48);

    // The 16-bit wallpaper survives encode → decode through the command line.
    const ProgramRun enc = cli({"encode-picture", "--width", "128", "--height", "160", "--format", "4", "--variant", "0",
                         "--phone-type", "5", "--size", "40960", out, dir->path("p0.bin")});
    ASSERT_EQ(enc.code, 0) << enc.err.toStdString();
    EXPECT_EQ(readAll(dir->path("p0.bin")).size(), 40960);
    ASSERT_EQ(cli({"decode-picture", "--width", "128", "--height", "160", "--format", "4", "--variant", "0",
                   "--phone-type", "5", dir->path("p0.bin"), dir->path("p0b.bmp")})
                  .code,
              0);
    EXPECT_EQ(readBmpFile(dir->path("p0b.bmp"))->pixels, bmp->pixels);
}

TEST_F(CliTest, ErrorsAndUsage) {
    const QString sav = model->tableFile;
    QImage square(100, 100, QImage::Format_RGB32);
    square.fill(Qt::white);
    const QString squareBmp = dir->path("square.bmp"), refusedBin = dir->path("refused.bin");
    ASSERT_TRUE(writeBmp24File(square, squareBmp));
    writeAll(dir->path("empty.flp"), "");
    writeAll(dir->path("cut.flp"), QByteArray("\x00\x10\x00\x01\x10\x00\x00\x00" "abc", 11));  // 16 bytes promised
    writeAll(dir->path("garbage.sav"), QByteArray(4096, '0').replace(1, 1, "A"));
    writeAll(dir->path("garbage.mem"), QByteArray(4096, 'A'));
    ASSERT_EQ(cli({"export-picture", model->tableFile, "3", dir->path("p.png")}).code, 0);
    writeAll(dir->path("cut.png"), readAll(dir->path("p.png")).left(80));  // libpng has its own say on this
    struct Case {
        QStringList args;
        int code;
        const char* stderrHas;
    };
    const Case cases[] = {
        {{"export-picture", model->tableFile, "999", dir->path("x.bmp")}, 1, "outside the list"},
        {{"export-picture", model->tableFile, "-1", dir->path("x.bmp")}, 1, "outside the list"},
        {{"show", dir->path("missing.sav")}, 1, "missing.sav"},
        {{"list", "colours", model->tableFile}, 2, "KIND"},
        {{"frobnicate"}, 2, "unknown command"},
        {{"show"}, 2, "Usage"},
        {{"decode-picture", "--width", "x", "in.bin", "out.bmp"}, 2, "number"},
        {{"encode-picture", "--width", "16", "--height", "16", "--format", "4", "--variant", "0", "--phone-type", "5",
          "--size", "512", dir->path("nope.bmp"), dir->path("o.bin")},
         1, "nope.bmp"},
        {{"encode-picture", "--width", "128", "--height", "160", "--format", "4", "--variant", "0", "--phone-type", "5",
          "--size", "40960", squareBmp, refusedBin},
         1, "the image is 100x100, the picture 128x160"},
        {{"encode-picture", "--width", "100", "--height", "100", "--format", "5", "--variant", "0", "--phone-type", "5",
          "--size", "11605", squareBmp, refusedBin},
         1, "this picture needs 30,000 bytes in its format; its place holds 11,605"},
        {{"phone", "info", "--keypad-wait", "99999999999"}, 2, "--keypad-wait takes at most 600000 ms"},
        {{"import-strings", model->tableFile, dir->path("none.po")}, 1, "none.po: no such file"},
        {{"import-strings", model->tableFile, dir->path()}, 1, "it is not a regular file"},
#ifndef _WIN32  // no /proc and no device files on Windows
        {{"import-strings", model->tableFile, "/proc/self/mem"}, 1, "Can not read /proc/self/mem"},
        {{"phone", "restore", "/dev/zero"}, 1, "Can not open /dev/zero: it is not a regular file"},
        {{"show", "/dev/zero"}, 1, "not a regular file"},
#endif
        // A patch that holds nothing to write is refused before the phone is called.
        {{"phone", "restore", dir->path("none.flp")}, 1, "none.flp: no such file"},
        {{"phone", "restore", dir->path("empty.flp")}, 1, "empty.flp: The patch file is empty"},
        {{"phone", "restore", dir->path("cut.flp")}, 1, "cut.flp: The patch file holds no whole record"},
        {{"phone", "write", model->tableFile, "--changed-since", dir->path("garbage.sav")}, 1, "garbage.sav is not a service file"},
#ifndef _WIN32  // the Windows build's libpng still writes a line of its own
        {{"import-picture", model->tableFile, "3", dir->path("cut.png")}, 1, "cut.png"},
#endif
        // The forms a script may use around the command's words: each reaches the command or
        // is refused as wrong usage, naming what was typed.
        {{"show", sav, "--debug"}, 0, ""},
        {{"delete", "strings", sav, "-1"}, 1, "outside the list"},
        {{"decode-picture", "--width", "-3", "--height", "1", "--format", "4", "--variant", "0", "--phone-type", "5",
          "in.bin", "out.bmp"},
         2, "between 1 and 65535"},
        {{"export-pictures", sav, dir->path("pics"), "--format=gif"}, 2, "--format must be png or bmp"},
        {{"show", "--bogus=1", sav}, 2, "unknown option --bogus=1"},
        {{"import-pictures", sav, dir->path("pics"), "--skip-invalid=yes"}, 2, "unknown option --skip-invalid=yes"},
        {{"set-string", sav, "0", "x", "--page"}, 2, "option --page needs a value"},
        {{"show", sav, "--"}, 2, "too many arguments"},
        {{"show", "--bogus", "--help"}, 0, ""},
        {{"--debug", "--bogus", "show", sav}, 2, "unknown command '--bogus'"},
        {{"--version", "show"}, 2, "unknown command '--version'"},
        {{"-h"}, 0, ""},
        {{"--help"}, 0, ""},
        {{"list", "--help"}, 0, ""},
    };
    for (const Case& c : cases) {
        const ProgramRun r = cli(c.args, dir->path());
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString() << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.stderrHas)) << c.args.join(' ').toStdString() << ": " << r.err.toStdString();
        if (c.code == 1) {
            EXPECT_EQ(r.err.count(QByteArray("\n")), 1) << r.err.toStdString();
        }
    }
    EXPECT_FALSE(QFile::exists(refusedBin));
    // The speeds --baud takes, as the loader's table lists them.
    EXPECT_TRUE(cli({"phone", "--help"}, dir->path()).out.contains("a speed the loader knows: 9600, 19200, 28800, 38400, 115200 or 230400."));
}

TEST_F(CliTest, EditCommandsChangeTheServiceFile) {
    const QString sav = model->tableFile;
    // A string edit with a line break in a page, shown back through the list.
    const QJsonArray before = cli({"list", "strings", sav}).json().array();
    int row = -1;
    for (const auto& v : before)
        if (v.toObject()["length"].toInt() >= 6) row = v.toObject()["index"].toInt();
    ASSERT_GE(row, 0);
    ProgramRun r = cli({"set-string", sav, QString::number(row), QString::fromUtf8("Hi¶yo"), "--page", "2"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonObject after = cli({"list", "strings", sav}).json().array()[row].toObject();
    EXPECT_TRUE(after["text"].toString().startsWith(QString::fromUtf8("Hi¶yo")));
    EXPECT_EQ(after["fontAttribute"].toInt(), 2);
    EXPECT_EQ(cli({"set-string", sav, QString::number(row), QString(300, 'x')}).code, 1);

    r = cli({"set-operator", sav, "0", "--code", "1f", "--name1", "Cli"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonObject op = cli({"list", "operators", sav}).json().array()[0].toObject();
    EXPECT_EQ(op["code1"].toInt(), 0x1F);
    EXPECT_EQ(op["name1"].toString(), "Cli");

    writeAll(dir->path("tune.mmf"), QByteArray(1000, '\x11'));
    ASSERT_EQ(cli({"import-melody", sav, "0", dir->path("tune.mmf")}).code, 0);
    ASSERT_EQ(cli({"export-melody", sav, "0", dir->path("back.mmf")}).code, 0);
    const QByteArray back = readAll(dir->path("back.mmf"));
    EXPECT_EQ(back.left(1000), QByteArray(1000, '\x11'));
    EXPECT_TRUE(QFile::exists(QString(sav).replace(".sav", ".mru")));

    ASSERT_EQ(cli({"set-melody-name", sav, "1", "3"}).code, 0);
    EXPECT_EQ(cli({"list", "melodies", sav}).json().array()[1].toObject()["nameString"].toInt(), 3);
    ASSERT_EQ(cli({"delete", "strings", sav, "3"}).code, 0);
    EXPECT_EQ(cli({"list", "melodies", sav}).json().array()[1].toObject()["nameString"].toInt(), 0xFFFF);
    // Saving again rewrites the pair as it is.
    const ProgramRun saved = cli({"--debug", "save", sav}, dir->path());
    ASSERT_EQ(saved.code, 0) << saved.err.toStdString();
    EXPECT_TRUE(saved.json().object().contains("tableFile"));
    EXPECT_EQ(cli({"list", "strings", sav}).json().array().size(), model->strings - 1);
    EXPECT_EQ(cli({"delete", "pictures", sav, "999"}).code, 1);
}

}  // namespace
