// The small dialogs: what they load, what Apply and Cancel leave in the settings file,
// and which keys close them.
#include "app/about_dialog.h"
#include "app/create_mem_dialog.h"
#include "app/display_options_dialog.h"
#include "app/file_name_edit.h"
#include "app/info_dialog.h"
#include "app/language_tags.h"
#include "app/setup_com_dialog.h"
#include "app/skin.h"
#include "app/title_bar.h"
#include "base/ini_file.h"
#include "base/language_table.h"
#include "files/settings.h"
#include "support/test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace qv;

namespace {

template <typename T>
T* child(QWidget* dialog, const char* name) {
    T* w = dialog->findChild<T*>(QString::fromLatin1(name));
    if (!w) ADD_FAILURE() << "no control " << name;
    return w;
}

class SettingsFile : public ::testing::Test {
protected:
    QString path() const { return dir.path("setting.ini"); }
    void write(const char* text) { qvtest::writeAll(path(), text); }
    IniFile ini() const { return IniFile::load(path()); }
    qvtest::ScratchDir dir;
};

// ---------------------------------------------------------------------------------------------

class SetupDialog : public SetupComDialog {
public:
    using SetupComDialog::SetupComDialog;
    QStringList errors;

protected:
    void reportSaveError(const QString& message) override { errors << message; }
};

const QStringList kPorts = {"COM1", "COM3", "COM5"};

using SetupCom = SettingsFile;

TEST_F(SetupCom, ShowsTheLoadedSettingsInItsControls) {
    write("[COM]\r\nPort=COM3\r\nBaudRD=19200\r\nBaudWR=230400\r\nKeyLock=1\r\nRestorePatch=1\r\n"
          "[Melody]\r\nPlayer=/opt/play.exe\r\n");
    SetupDialog dlg(path(), nullptr, kPorts);
    dlg.show();
    EXPECT_EQ(child<QLabel>(&dlg, "titleLabel")->text(), "Setup");
    EXPECT_EQ(child<QComboBox>(&dlg, "portCombo")->currentText(), "COM3");
    auto* rd = child<QComboBox>(&dlg, "readSpeedCombo");
    QStringList offered;
    for (int i = 0; i < rd->count(); ++i) offered << rd->itemText(i);
    EXPECT_EQ(offered, (QStringList{"9600", "19200", "28800", "38400", "115200", "230400"}));
    EXPECT_EQ(rd->currentText(), "19200");
    EXPECT_EQ(child<QComboBox>(&dlg, "writeSpeedCombo")->currentText(), "230400");
    EXPECT_TRUE(child<QCheckBox>(&dlg, "keyLockCheck")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(&dlg, "restorePatchCheck")->isChecked());
    auto* player = child<FileNameEdit>(&dlg, "playerEdit");
    EXPECT_EQ(player->text(), "/opt/play.exe");
#ifdef Q_OS_WIN
    EXPECT_EQ(player->request().filter, "EXE files (*.exe)");
    EXPECT_EQ(player->request().defaultSuffix, "exe");
#else
    // Programs here have no extension: every file is offered.
    EXPECT_EQ(player->request().filter, "All files (*)");
    EXPECT_EQ(player->request().defaultSuffix, "");
#endif
}

TEST_F(SetupCom, ASpeedTheListLacksShows38400AndApplyStoresThat) {
    write("[COM]\r\nBaudRD=57600\r\nBaudWR=9600\r\n");
    SetupDialog dlg(path(), nullptr, kPorts);
    EXPECT_EQ(child<QComboBox>(&dlg, "readSpeedCombo")->currentText(), "38400");
    dlg.apply();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(Settings::load(path()).baudRD, 38400u);
    EXPECT_EQ(Settings::load(path()).baudWR, 9600u);
}

TEST_F(SetupCom, EscapeAndCancelSaveNothing) {
    const QByteArray before = "[COM]\r\nPort=COM5\r\nKeyLock=0\r\n";
    for (const bool byKey : {true, false}) {
        write(before.constData());
        SetupDialog dlg(path(), nullptr, kPorts);
        dlg.show();
        child<QCheckBox>(&dlg, "keyLockCheck")->setChecked(true);
        child<QComboBox>(&dlg, "portCombo")->setCurrentIndex(0);
        if (byKey)
            QTest::keyClick(&dlg, Qt::Key_Escape);
        else
            QTest::mouseClick(child<ImageButton>(&dlg, "cancelButton"), Qt::LeftButton);
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(qvtest::readAll(path()), before);
    }
    QFile::remove(path());
    SetupDialog dlg(path(), nullptr, kPorts);
    dlg.show();
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(SetupCom, EnterWritesAllTenKeysIncludingThoseNotShown) {
    write("[COM]\r\nMEM=1\r\n[Face]\r\nTransparency=40\r\n");
    SetupDialog dlg(path(), nullptr, kPorts);
    dlg.show();
    child<QComboBox>(&dlg, "portCombo")->setEditText("/dev/ttyUSB3");  // typed by hand
    child<QComboBox>(&dlg, "writeSpeedCombo")->setCurrentText("115200");
    child<QCheckBox>(&dlg, "restorePatchCheck")->setChecked(true);
    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);

    const IniFile file = ini();
    const std::pair<const char16_t*, const char16_t*> keys[] = {
        {u"COM", u"Port"},          {u"COM", u"BaudRD"},   {u"COM", u"BaudWR"},        {u"COM", u"KeyLock"},
        {u"COM", u"RestorePatch"},  {u"COM", u"MEM"},      {u"Melody", u"Player"},     {u"Face", u"Transparency"},
        {u"Face", u"BackColor"},    {u"Face", u"Color"},
    };
    for (const auto& [section, key] : keys) EXPECT_TRUE(file.contains(section, key)) << QStringView(key).toString().toStdString();
    EXPECT_EQ(file.value(u"COM", u"Port"), "/dev/ttyUSB3");
    EXPECT_EQ(file.value(u"COM", u"BaudRD"), "115200");
    EXPECT_EQ(file.value(u"COM", u"BaudWR"), "115200");
    EXPECT_EQ(file.value(u"COM", u"RestorePatch"), "1");
    EXPECT_EQ(file.value(u"COM", u"MEM"), "1");
    EXPECT_EQ(file.value(u"Face", u"Transparency"), "40");
    EXPECT_EQ(file.value(u"Face", u"BackColor"), "12632256");
    EXPECT_EQ(file.value(u"Melody", u"Player"), Settings().player);
    EXPECT_EQ(dlg.settings().port, "/dev/ttyUSB3");
}

TEST_F(SetupCom, AConfiguredDeviceOutsideTheListStaysChosenAStaleNameDoesNot) {
    const QString pty = dir.path("pts7");  // stands for a pseudo-terminal the search does not find
    qvtest::writeAll(pty, "");
    qvtest::writeAll(path(), ("[COM]\r\nPort=" + pty + "\r\n").toUtf8());
    EXPECT_EQ(child<QComboBox>(std::make_unique<SetupDialog>(path(), nullptr, kPorts).get(), "portCombo")->currentText(),
              pty);
    write("[COM]\r\nPort=COM9\r\n");
    EXPECT_EQ(child<QComboBox>(std::make_unique<SetupDialog>(path(), nullptr, kPorts).get(), "portCombo")->currentText(),
              "COM1");
}

TEST_F(SetupCom, AFailedSaveIsReportedAndTheDialogStaysOpen) {
    SetupDialog dlg(dir.path("missing/setting.ini"), nullptr, kPorts);
    dlg.show();
    dlg.apply();
    EXPECT_EQ(dlg.errors.size(), 1);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_NE(dlg.result(), QDialog::Accepted);
}

// ---------------------------------------------------------------------------------------------

using CreateMem = SettingsFile;

TEST_F(CreateMem, OffersTheStoredChoiceAndEscapeOrTheCrossCancelWithoutSaving) {
    for (const char* way : {"Escape", "cross"}) {
        SCOPED_TRACE(way);
        write("[COM]\r\nMEM=1\r\n");
        CreateMemDialog dlg(path());
        dlg.show();
        EXPECT_EQ(child<QLabel>(&dlg, "titleLabel")->text(), "Create MEM file");
        auto* group = child<RadioGroup>(&dlg, "sourceGroup");
        EXPECT_EQ(group->item(0)->text(), "by Mobile");
        EXPECT_EQ(group->item(1)->text(), "by FullFlash");
        EXPECT_TRUE(group->item(1)->isChecked());
        group->item(0)->click();
        auto* cancel = child<ImageButton>(&dlg, "cancelButton");
        EXPECT_EQ(cancel->toolTip(), "Cancel");
        if (QByteArray(way) == "Escape")
            QTest::keyClick(&dlg, Qt::Key_Escape);
        else
            QTest::mouseClick(cancel, Qt::LeftButton);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_EQ(qvtest::readAll(path()), QByteArray("[COM]\r\nMEM=1\r\n"));
    }
}

TEST_F(CreateMem, ReadsTheFileAgainWhenShownAndTheCloseImageStoresTheSelection) {
    CreateMemDialog dlg(path());                                  // no file yet: "by Mobile"
    write("[COM]\r\nMEM=1\r\nPort=COM9\r\n");            // edited by hand meanwhile
    dlg.show();
    auto* group = child<RadioGroup>(&dlg, "sourceGroup");
    EXPECT_EQ(group->itemIndex(), 1);
    group->item(0)->click();

    auto* close = child<ImageButton>(&dlg, "closeButton");
    QTest::mousePress(close, Qt::RightButton);
    EXPECT_FALSE(close->showsPressedLook());
    QTest::mouseRelease(close, Qt::RightButton);
    QTest::mousePress(close, Qt::LeftButton);
    EXPECT_TRUE(close->showsPressedLook());
    EXPECT_TRUE(dlg.isVisible());
    QTest::mouseRelease(close, Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(ini().value(u"COM", u"MEM"), "0");
    EXPECT_EQ(ini().value(u"COM", u"Port"), "COM9");
}

TEST_F(CreateMem, AskReturnsTheChoiceOfTheModalDialog) {
    write("[COM]\r\nMEM=1\r\n");
    for (const auto& [key, choice] : {std::pair{Qt::Key_Return, 1}, std::pair{Qt::Key_Escape, -1}}) {
        QTimer::singleShot(0, [key] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<CreateMemDialog*>(w) && w->isVisible()) QTest::keyClick(w, key);
        });
        EXPECT_EQ(CreateMemDialog::ask(nullptr, path()), choice);
    }
}

// ---------------------------------------------------------------------------------------------

using DisplayOptions = SettingsFile;

TEST_F(DisplayOptions, ApplyCopiesTheValuesIntoTheSettingsAndSavesThem) {
    Settings s;
    {
        DisplayOptionsDialog dlg(s, path());
        EXPECT_TRUE(DisplayOptionsDialog::displayOptionsOpen());
        QList<QColor> answers = {QColor(10, 20, 30), QColor(255, 0, 0)};
        dlg.setColorChooser([&answers](const QColor&, QWidget*, const QString&) { return answers.takeFirst(); });
        dlg.show();
        EXPECT_EQ(child<QSlider>(&dlg, "transparencySlider")->value(), 11);
        EXPECT_EQ(child<QSlider>(&dlg, "transparencySlider")->toolTip(), "Transparency");
        QTest::mouseClick(child<QToolButton>(&dlg, "BackColorButton"), Qt::LeftButton);
        QTest::mouseClick(child<QToolButton>(&dlg, "TextColorButton"), Qt::LeftButton);
        child<QSlider>(&dlg, "transparencySlider")->setValue(40);
        QTest::keyClick(&dlg, Qt::Key_Return);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    EXPECT_FALSE(DisplayOptionsDialog::displayOptionsOpen());
    EXPECT_EQ(s.transparency, 40);
    EXPECT_EQ(s.backColor, 10u | 20u << 8 | 30u << 16);
    EXPECT_EQ(s.color, 0x0000FFu);
    const Settings saved = Settings::load(path());
    EXPECT_EQ(saved.transparency, 40);
    EXPECT_EQ(saved.backColor, s.backColor);
    EXPECT_EQ(saved.color, s.color);
}

TEST_F(DisplayOptions, CancelAndACancelledColourChangeNothing) {
    Settings s;
    s.transparency = 70;
    DisplayOptionsDialog dlg(s, path());
    dlg.setColorChooser([](const QColor&, QWidget*, const QString&) { return QColor(); });
    dlg.show();
    QTest::mouseClick(child<QToolButton>(&dlg, "BackColorButton"), Qt::LeftButton);
    EXPECT_EQ(dlg.backColor(), colorFromValue(0xC0C0C0));
    child<QSlider>(&dlg, "transparencySlider")->setValue(5);
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(s.transparency, 70);
    EXPECT_FALSE(QFile::exists(path()));
    DisplayOptionsDialog::clearDisplayOptionsOpen();  // as the main window does when the program loses the focus
    EXPECT_FALSE(DisplayOptionsDialog::displayOptionsOpen());
}

// ---------------------------------------------------------------------------------------------

struct KeyCase {
    const char* what;
    std::function<std::unique_ptr<QDialog>()> make;
    Qt::Key key;
    bool closes;
};

TEST(DialogKeys, TheKeysThatCloseEachDialog) {
    auto info = [] { return std::unique_ptr<QDialog>(new InfoDialog); };
    auto about = [] { return std::unique_ptr<QDialog>(new AboutDialog); };
    const KeyCase cases[] = {
        {"info Enter", info, Qt::Key_Return, true},   {"info Escape", info, Qt::Key_Escape, true},
        {"info Space", info, Qt::Key_Space, true},    {"info letter", info, Qt::Key_A, false},
        {"about letter", about, Qt::Key_A, true},     {"about Escape", about, Qt::Key_Escape, true},
        {"about Shift alone", about, Qt::Key_Shift, false},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto dlg = c.make();
        dlg->show();
        QTest::keyClick(dlg.get(), c.key);
        EXPECT_EQ(dlg->isVisible(), !c.closes);
    }
}

TEST(AboutDialog, ShowsTheLicenceWholeAndWhereItsFullTextIs) {
    AboutDialog dlg;
    dlg.show();
    const QLabel* licence = child<QLabel>(&dlg, "Licence");
    const QString place = AboutDialog::licenceFile();
    EXPECT_EQ(licence->text(), langText(Text::LicenceNotice) + u'\n' + place);
    EXPECT_TRUE(place.startsWith(u"https://") || QFileInfo(place).isFile()) << place.toStdString();
    // Not cut off at its foot, nor covered by the close image.
    EXPECT_GE(licence->height(), licence->heightForWidth(licence->width()));
    EXPECT_LT(licence->geometry().bottom(), child<QWidget>(&dlg, "closeButton")->geometry().top());
}

// Opened centred on its parent, as every skinned dialog is.
TEST(InfoDialog, OpensCentredStartsUnknownShowsValuesAndClosesByItsImage) {
    QWidget parent;
    parent.setGeometry(200, 100, 569, 456);
    parent.show();
    InfoDialog dlg(&parent);
    dlg.show();
    EXPECT_EQ(dlg.size(), QSize(310, 152));
    const QRect frame = parent.frameGeometry();
    EXPECT_EQ(dlg.pos(), frame.topLeft() + QPoint((frame.width() - dlg.width()) / 2, (frame.height() - dlg.height()) / 2));
    EXPECT_EQ(dlg.model(), "???");
    EXPECT_EQ(dlg.version(), "???");
    EXPECT_EQ(child<QLabel>(&dlg, "modelLabel")->text(), "Model");
    EXPECT_EQ(child<ImageButton>(&dlg, "closeButton")->toolTip(), "Close");
    dlg.setValues(" XY-100", "N/A");
    EXPECT_EQ(child<QLineEdit>(&dlg, "modelEdit")->text(), " XY-100");
    EXPECT_EQ(child<QLineEdit>(&dlg, "versionEdit")->text(), "N/A");
    dlg.setBusy(true);
    EXPECT_EQ(dlg.cursor().shape(), Qt::BusyCursor);
    dlg.setBusy(false);
    EXPECT_NE(dlg.cursor().shape(), Qt::BusyCursor);
    QTest::mouseClick(child<ImageButton>(&dlg, "closeButton"), Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
}

}  // namespace
