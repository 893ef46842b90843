// The whole-list commands as scripts use them: a PO file and folders in, JSON out, refusals
// listed on stderr with exit code 1 and the pair left byte for byte as it was.
#include "demo_model/demo_model.h"
#include "files/service_file_names.h"
#include "cli/program_run.h"
#include "support/test_support.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;

namespace {

class BulkCommands : public ::testing::Test {
protected:
    void SetUp() override {
        const auto m = makeDemoModel(dir.path(), {5, false, "demo"});
        ASSERT_TRUE(m) << m.error().message().toStdString();
        sav = m->tableFile;
        ASSERT_EQ(cli({"build-from-dumps", sav, m->dump1, m->dump2}).code, 0);
        before = pair();
        memBefore = readAll(ServiceFileNames(sav).mem);
    }
    QByteArray pair() const { return readAll(sav) + readAll(ServiceFileNames(sav).mem); }
    ScratchDir dir;
    QString sav;
    QByteArray before, memBefore;
};

TEST_F(BulkCommands, StringsThroughPoFile) {
    const QString po = dir.path("s.po");
    ProgramRun r = cli({"export-strings", sav, po, "--language", "ru"});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(r.json()["rows"].toInt(), 40);
    const QByteArray text = readAll(po);
    EXPECT_TRUE(text.contains("\"Language: ru\\n\"\n"));
    EXPECT_TRUE(text.contains("#. at most 13 characters, font page 2\nmsgctxt \"2\"\nmsgid \"\"\n\"Call\\n\"\n\"register\"\n"));

    if (const QString msgfmt = QStandardPaths::findExecutable("msgfmt"); !msgfmt.isEmpty()) {
        const ProgramRun check = runProgram(msgfmt, {"-c", "-o", dir.path("s.mo"), po});
        EXPECT_EQ(check.code, 0) << check.err.constData();
        EXPECT_FALSE(check.err.contains("warning")) << check.err.constData();
    }

    r = cli({"import-strings", sav, po});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.json()["changed"].toArray().isEmpty());
    EXPECT_EQ(pair(), before);

    QByteArray translated = text;
    translated.replace("msgid \"Menu\"\nmsgstr \"\"", "msgid \"Menu\"\nmsgstr \"Меню\"");
    translated.replace("\"register\"\nmsgstr \"\"", "\"register\"\nmsgstr \"Журнал\\nвызов\"");
    writeAll(po, translated);
    r = cli({"import-strings", sav, po});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    const QJsonArray changed = r.json()["changed"].toArray();
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed[0].toObject()["index"].toInt(), 0);
    EXPECT_EQ(changed[1].toObject()["index"].toInt(), 2);
    const QJsonArray strings = QJsonDocument::fromJson(cli({"list", "strings", sav}).out).array();
    EXPECT_EQ(strings[0].toObject()["text"].toString(), QString::fromUtf8("Меню"));
    EXPECT_EQ(strings[2].toObject()["text"].toString(), QString::fromUtf8("Журнал¶вызов "));
}

TEST_F(BulkCommands, RefusalsAreListedAndChangeNothing) {
    const QString po = dir.path("bad.po");
    writeAll(po, "msgctxt \"1\"\nmsgid \"Messages\"\nmsgstr \"Inbox\"\n\n"
                 "msgctxt \"0\"\nmsgid \"Menu\"\nmsgstr \"Far too long\"\n\n"
                 "msgctxt \"77\"\nmsgid \"\"\nmsgstr \"x\"\n");
    ProgramRun r = cli({"import-strings", sav, po});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("row 0: " + po.toUtf8() + ":6: the text has 12 characters")) << r.err.constData();
    EXPECT_TRUE(r.err.contains(po.toUtf8() + ":10: msgctxt \"77\" names no string row"));
    EXPECT_TRUE(r.err.contains("nothing was changed"));
    EXPECT_EQ(pair(), before);

    r = cli({"import-strings", sav, po, "--skip-invalid"});
    EXPECT_EQ(r.code, 1);
    ASSERT_EQ(r.json()["changed"].toArray().size(), 1);
    EXPECT_EQ(r.json()["changed"].toArray()[0].toObject()["index"].toInt(), 1);
    EXPECT_TRUE(r.err.contains("2 item(s) refused; 1 row(s) changed"));
    EXPECT_NE(pair(), before);
}

// A translation made before rows were deleted names rows that now hold other strings.
TEST_F(BulkCommands, AnOlderTranslationIsRefusedWhereItsRowsMoved) {
    const QString po = dir.path("s.po");
    ASSERT_EQ(cli({"export-strings", sav, po}).code, 0);
    QByteArray translated = readAll(po);
    translated.replace("msgid \"Contacts\"\nmsgstr \"\"", "msgid \"Contacts\"\nmsgstr \"Phonebook\"");
    writeAll(po, translated);
    ASSERT_EQ(cli({"delete", "strings", sav, "2"}).code, 0);
    const QByteArray deleted = pair();
    const ProgramRun r = cli({"import-strings", sav, po});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(": row 3 now reads \"Settings\"; the file translates \"Contacts\"\n")) << r.err.constData();
    EXPECT_EQ(pair(), deleted);
}

// Names and texts from a hostile file reach the terminal as escapes, each refusal on its line.
TEST_F(BulkCommands, ControlCharactersNeverReachTheTerminal) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows file names hold no control characters";
#endif
    const QString po = dir.path("x\x1b]0;owned\x07.po");
    writeAll(po, "msgctxt \"1\\n\\x1b[2J\"\nmsgid \"\"\nmsgstr \"x\"\n\nmsgctxt \"\\r9\"\nmsgid \"\"\nmsgstr \"x\"\n");
    const ProgramRun r = cli({"import-strings", sav, po});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.contains('\x1b') || r.err.contains('\x07') || r.err.contains('\r')) << r.err.constData();
    EXPECT_EQ(r.err.count('\n'), 3) << r.err.constData();
    EXPECT_TRUE(r.err.contains("x\\x1b]0;owned\\x07.po:2: msgctxt \"1\\n\\x1b[2J\" names no string row")) << r.err.constData();
}

TEST_F(BulkCommands, PictureAndMelodyFolders) {
    const QString pics = dir.path("pics"), mel = dir.path("mel");
    ASSERT_EQ(cli({"export-pictures", sav, pics}).code, 0);  // PNG by default
    EXPECT_TRUE(QFileInfo::exists(QDir(pics).filePath("00000_128x160.png")));
    ASSERT_EQ(cli({"export-melodies", sav, mel}).code, 0);
    EXPECT_EQ(cli({"import-pictures", sav, pics}).json()["unchanged"].toInt(), 26);
    EXPECT_EQ(cli({"import-melodies", sav, mel}).json()["unchanged"].toInt(), 8);
    EXPECT_EQ(pair(), before);
    EXPECT_EQ(cli({"export-pictures", sav, pics, "--format", "gif"}).code, 2);

    // A changed picture and melody go in; each command saves once and names the rows.
    QImage changed(QDir(pics).filePath("00005_96x64.png"));
    changed.fill(Qt::red);
    ASSERT_TRUE(changed.save(QDir(pics).filePath("00005_96x64.png")));
    writeAll(QDir(mel).filePath("00003_melody_0003.mmf"), "short tune");
    ProgramRun r = cli({"import-pictures", sav, pics});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(r.json()["changed"].toArray()[0].toObject()["index"].toInt(), 5);
    r = cli({"import-melodies", sav, mel});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(r.json()["changed"].toArray()[0].toObject()["index"].toInt(), 3);

    // A picture too large for its row stops the whole folder; one that cannot be read is named
    // once, and the image library keeps its own complaint to itself.
    const QByteArray now = pair();
    ASSERT_TRUE(QImage(200, 200, QImage::Format_RGB32).save(QDir(pics).filePath("00001_128x160.png")));
    const QString cut = QDir(pics).filePath(QDir(pics).entryList({"00002_*"}).value(0));
    writeAll(cut, readAll(cut).left(80));
    r = cli({"import-pictures", sav, pics});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("row 1: ")) << r.err.constData();
    EXPECT_TRUE(r.err.contains("row 2: " + cut.toUtf8() + ": ")) << r.err.constData();
    EXPECT_EQ(r.err.count(cut.toUtf8()), 1) << r.err.constData();
#ifndef _WIN32  // the Windows build's libpng still writes a line of its own
    EXPECT_EQ(r.err.count('\n'), 3) << r.err.constData();
#endif
    EXPECT_EQ(pair(), now);
}

// The command line's export (a 24-bit BMP, or a PNG in the picture's own depth) imports back
// unchanged where import is offered, and exporting again writes the same file. The same export
// and import run for every picture of two models below the command line; here a few rows
// of each kind, offered or not, in each file type.
TEST_F(BulkCommands, PicturesExportedImportBackUnchanged) {
    int imported = 0;
    for (int row : {0, 3, 4, 6, 8, 9, 13}) {
        const QString index = QString::number(row), type = row % 2 ? "png" : "bmp";
        const QString first = dir.path("first." + type), again = dir.path("again." + type);
        ASSERT_EQ(cli({"export-picture", sav, index, first}).code, 0);
        EXPECT_EQ(readAll(first).startsWith("\x89PNG"), type == "png");
        const ProgramRun r = cli({"import-picture", sav, index, first});
        if (r.code == 1 && r.err.contains("not offered")) continue;
        ++imported;
        ASSERT_EQ(r.code, 0) << row << ": " << r.err.constData();
        EXPECT_TRUE(r.json()["stored"].toBool());
        ASSERT_EQ(cli({"export-picture", sav, index, again}).code, 0);
        EXPECT_EQ(readAll(again), readAll(first)) << row;
    }
    EXPECT_EQ(imported, 5);
    EXPECT_EQ(pair(), before);
}

}  // namespace
