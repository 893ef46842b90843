// The main window's flows driven offscreen with scripted dialogs, against demo models and
// the phone emulator.
#include "app/info_dialog.h"
#include "app/progress_dialog.h"
#include "base/ini_file.h"
#include "main_window_fixture.h"

#include <QLabel>
#include <QListView>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QTest>
#include <QToolButton>

using namespace qv;
using namespace qvtest;

namespace {

TEST_F(MainWindowTest, OpenWithoutDataFileBuildsItFromDumpsAndShowsImages) {
    auto w = window();
    buildFromDumps(*w);
    EXPECT_EQ(dialogs.titles, (QStringList{"Open service file", "Open file #1", "Open file #2"}));
    auto* pictures = child<QListView>(*w, "pictureList");
    ASSERT_TRUE(pictures);
    EXPECT_TRUE(pictures->isVisible());
    EXPECT_EQ(pictures->model()->rowCount(), model.pictures - 1);
    EXPECT_EQ(pictures->currentIndex().row(), 0);
    EXPECT_EQ(w->thumbnails().count(), model.pictures - 1);
    EXPECT_TRUE(child<QToolButton>(*w, "saveButton")->isVisible());
    EXPECT_EQ(child<QLabel>(*w, "fileNameLabel")->text(), "demo.sav");
    EXPECT_EQ(child<QLabel>(*w, "pictureSizeLabel")->text(), "128x160");
    EXPECT_EQ(w->mode(), Mode::Images);

#ifdef _WIN32
    GTEST_SKIP() << "Windows removes no data file the window holds open";
#endif
    // Doing it again asks with exactly one suffix each time.
    QFile::remove(dir.path("demo.mem"));
    dialogs.titles.clear();
    buildFromDumps(*w);
    EXPECT_EQ(dialogs.titles.filter(" #1").size(), 1);
    EXPECT_EQ(dialogs.titles.last(), "Open file #2");
}

TEST_F(MainWindowTest, ReversedOrderModelKeepsTheStringsClosed) {
    auto m = makeDemoModel(dir.path("six"), {6, false, "six"});
    ASSERT_TRUE(m);
    auto w = window();
    dialogs.files = {m->tableFile, m->dump1, m->dump2};
    w->openClicked();
    w->showImages();
    w->showLangPack();
    EXPECT_EQ(w->mode(), Mode::Images);
    EXPECT_FALSE(child<QListView>(*w, "stringList")->isVisible());
}

TEST_F(MainWindowTest, ByMobileAnsweredNoLeavesEverythingEmpty) {
    auto w = window();
    dialogs.dataSource = 0;
    dialogs.files = {model.tableFile};
    dialogs.answers = {false};
    w->openClicked();
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_TRUE(dialogs.messages.first().startsWith("The file with media data is not retrieved."));
    EXPECT_EQ(child<QListView>(*w, "pictureList")->model()->rowCount(), 0);
    EXPECT_FALSE(child<QToolButton>(*w, "saveButton")->isVisible());
}

TEST_F(MainWindowTest, CancellingCreateMemClosesTheFileAndAsksNothingMore) {
    auto w = window();
    dialogs.dataSource = -1;
    dialogs.files = {model.tableFile, model.dump1, model.dump2};
    w->openClicked();
    EXPECT_EQ(dialogs.titles, QStringList{"Open service file"});
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
    EXPECT_FALSE(w->workspace().isOpen());
    EXPECT_EQ(child<QListView>(*w, "pictureList")->model()->rowCount(), 0);
    EXPECT_FALSE(QFile::exists(dir.path("demo.mem")));
}

TEST_F(MainWindowTest, AFileThatCannotBeReadKeepsTheOpenOne) {
    auto w = window();
    buildFromDumps(*w);
    writeAll(dir.path("broken.sav"), QByteArray(50, 'x'));
    dialogs.files = {dir.path("broken.sav")};
    w->openClicked();
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_TRUE(dialogs.messages.last().contains("broken.sav"));
    EXPECT_EQ(child<QLabel>(*w, "fileNameLabel")->text(), "demo.sav");
    EXPECT_EQ(child<QListView>(*w, "pictureList")->model()->rowCount(), model.pictures - 1);
    // Cancelling the open dialog changes nothing either.
    w->openClicked();
    EXPECT_EQ(child<QListView>(*w, "pictureList")->model()->rowCount(), model.pictures - 1);
}

// The phone emulator serving the demo model's dumps.
class Emulator {
public:
    Emulator(const DemoModel& m, const QString& folder) {
        proc_.setWorkingDirectory(folder);
        proc_.start(QStringLiteral(QV_BIN_DIR "/quorvanta-phone-emu"),
                    {"--dump1", m.dump1, "--dump2", m.dump2, "--boot-delay", "50", "--exit-on-stdin-eof"});
        proc_.setReadChannel(QProcess::StandardOutput);
        for (int i = 0; i < 100 && !proc_.canReadLine(); ++i) proc_.waitForReadyRead(100);
        device = QString::fromUtf8(proc_.readLine()).trimmed();
        QProcess::execute(QStringLiteral(QV_BIN_DIR "/quorvanta-phone-emu"), {"--write-loader", folder + "/emu-loader.bin"});
        loader = folder + "/emu-loader.bin";
    }
    ~Emulator() {
        proc_.closeWriteChannel();
        if (!proc_.waitForFinished(5000)) proc_.kill();
    }
    QString device, loader;

private:
    QProcess proc_;
};

// The window's loader and port set to the emulated phone (and both speeds, when given).
bool pointAtPhone(const Emulator& phone, MainWindowOptions& options, int baud = 0) {
    options.loaderPath = phone.loader;
    Settings s;
    s.port = phone.device;
    if (baud) s.baudRD = s.baudWR = baud;
    return phone.device.startsWith("/dev/") && s.save(options.settingsPath);
}

TEST_F(MainWindowTest, ByMobileReadsThePhoneAndFlashWritesTickedRows) {
#ifdef _WIN32
    GTEST_SKIP() << "the phone emulator is a Linux program";
#endif
    Emulator phone(model, dir.path());
    ASSERT_TRUE(pointAtPhone(phone, options, 115200));
    auto w = window();
    dialogs.dataSource = 0;
    dialogs.files = {model.tableFile};
    dialogs.answers = {true};
    // The progress dialog is modal: close it once the task has ended.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<ProgressDialog*>(top); p && p->isVisible() && p->buttonCaption() == "Close")
                p->clickButton();
    });
    closer.start(50);
    w->openClicked();
    EXPECT_EQ(w->lastTaskResult(), ResultCode::Ok);
    EXPECT_EQ(w->lastTaskText(), "Operation completed.");
    EXPECT_TRUE(QFile::exists(dir.path("demo.mem")));
    EXPECT_EQ(child<QListView>(*w, "pictureList")->model()->rowCount(), model.pictures - 1);

    auto& ticks = w->workspace().ticks(ListKind::Melodies);
    ticks[0] = ticks[2] = true;
    w->flashClicked();
    EXPECT_EQ(w->lastTaskResult(), ResultCode::Ok);
    EXPECT_FALSE(ticks[0]);
    EXPECT_FALSE(ticks[2]);

    // The list in front shows the written rows unticked at once: what the window shows is what
    // the list paints afresh.
    w->showLangPack();
    auto* strings = child<QListView>(*w, "stringList");
    for (int row : {1, 2}) strings->model()->setData(strings->model()->index(row, 0), Qt::Checked, Qt::CheckStateRole);
    auto shown = [&] {
        QApplication::processEvents();
        const QRect at(strings->viewport()->mapTo(w.get(), QPoint(0, 0)), strings->viewport()->size());
        return w->screen()->grabWindow(w->winId()).toImage().copy(at);
    };
    const QImage ticked = shown();
    w->flashClicked();
    EXPECT_EQ(w->lastTaskResult(), ResultCode::Ok);
    EXPECT_FALSE(w->workspace().ticks(ListKind::Strings)[1]);
    const QImage after = shown();
    EXPECT_NE(after, ticked);
    EXPECT_EQ(after, strings->viewport()->grab().toImage());
}

// A read the user cancels ends the open: the questions that start a read are not asked again.
TEST_F(MainWindowTest, ACancelledPhoneReadIsNotStartedAgain) {
#ifdef _WIN32
    GTEST_SKIP() << "the phone emulator is a Linux program";
#endif
    Emulator phone(model, dir.path());
    ASSERT_TRUE(pointAtPhone(phone, options));
    auto w = window();
    dialogs.dataSource = 0;
    dialogs.files = {model.tableFile};
    dialogs.answers = {true, true};
    QTimer canceller;  // Cancel while the task runs, then Close
    QObject::connect(&canceller, &QTimer::timeout, [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<ProgressDialog*>(top); p && p->isVisible()) p->clickButton();
    });
    canceller.start(50);
    w->openClicked();
    EXPECT_EQ(w->lastTaskResult(), ResultCode::Aborted);
    EXPECT_EQ(dialogs.sourceQuestions, 1);
    EXPECT_EQ(dialogs.messages.filter("The file with media data is not retrieved.").size(), 1);
    EXPECT_FALSE(QFile::exists(dir.path("demo.mem")));
}

TEST_F(MainWindowTest, StartUpAndCloseKeepTheSettings) {
    auto w = window();
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(child<QToolButton>(*w, "flash")->isEnabled());  // nothing open yet
    w->close();
    const IniFile saved = IniFile::load(options.settingsPath);
    for (const char* key : {"Port", "BaudRD", "BaudWR", "KeyLock", "RestorePatch", "MEM"})
        EXPECT_TRUE(saved.contains(u"COM", QString::fromLatin1(key))) << key;
    EXPECT_EQ(saved.value(u"COM", u"BaudWR"), "28800");
}

TEST_F(MainWindowTest, FullFlashWithOneDumpAndCancelledDialogs) {
    auto one = makeDemoModel(dir.path("one"), {2, false, "one"});
    ASSERT_TRUE(one && one->dump2.isEmpty());
    auto w = window();
    dialogs.files = {one->tableFile, one->dump1};
    w->openClicked();
    EXPECT_EQ(dialogs.titles, (QStringList{"Open service file", "Open file #1"}));
    EXPECT_EQ(child<QListView>(*w, "pictureList")->model()->rowCount(), one->pictures - 1);

    // The dump dialog cancelled: the workspace is reset and nothing is built.
    dialogs.titles.clear();
    dialogs.files = {model.tableFile};
    w->openClicked();
    EXPECT_EQ(dialogs.titles, (QStringList{"Open service file", "Open file #1"}));
    EXPECT_EQ(child<QListView>(*w, "pictureList")->model()->rowCount(), 0);
    EXPECT_FALSE(child<QToolButton>(*w, "saveButton")->isVisible());
    EXPECT_FALSE(QFile::exists(dir.path("demo.mem")));
}

TEST_F(MainWindowTest, SaveButtonRewritesTheServiceFileInPlace) {
    auto w = window();
    buildFromDumps(*w);
    const QByteArray sav = readAll(model.tableFile);
    w->workspace().image().melodies[0].nameString = 7;
    child<QToolButton>(*w, "saveButton")->click();
    EXPECT_NE(readAll(model.tableFile), sav);
    EXPECT_FALSE(QFile::exists(dir.path("demo.sa2")));
    Workspace reread;
    ASSERT_TRUE(reread.open(model.tableFile).ok());
    EXPECT_EQ(reread.image().melodies[0].nameString, 7);
}

TEST(ProgressDialog, CancelThenCloseAndEscapeActsLikeTheButton) {
    for (bool byEscape : {false, true}) {
        int cancels = 0, ends = 0;
        ProgressDialog dialog([&] { ++cancels; }, [&] { ++ends; }, nullptr);
        dialog.show();
        auto press = [&] {
            if (byEscape)
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                dialog.clickButton();
        };
        EXPECT_EQ(dialog.buttonCaption(), "Cancel");
        press();
        EXPECT_EQ(cancels, 1);
        EXPECT_EQ(ends, 0);
        EXPECT_EQ(dialog.buttonCaption(), "Close");
        EXPECT_TRUE(dialog.isVisible());
        press();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(cancels, 1);
        EXPECT_EQ(ends, 1);
    }
}

TEST_F(MainWindowTest, InfoShowsTheEmulatedPhonesModelAndVersion) {
#ifdef _WIN32
    GTEST_SKIP() << "the phone emulator is a Linux program";
#endif
    Emulator phone(model, dir.path());
    ASSERT_TRUE(pointAtPhone(phone, options));
    auto w = window();
    QString shownModel, shownVersion;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* info = qobject_cast<InfoDialog*>(top); info && info->isVisible() && info->model() != "???") {
                shownModel = info->model();
                shownVersion = info->version();
                info->accept();
            }
    });
    closer.start(50);
    w->infoClicked();
    EXPECT_EQ(shownModel, " QV-100");
    EXPECT_EQ(shownVersion, " V10a");
}

}  // namespace
