// An installed copy (its program folder not writable) keeps its settings in the per-user
// folders; the port list shows the ports by name and stores their device paths.
#include "ports/serial_ports.h"
#include "app/setup_com_dialog.h"
#include "base/ini_file.h"
#include "files/file_places.h"
#include "main_window_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

using namespace qv;

namespace {

class InstalledCopy : public qvtest::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        options.settingsPath.clear();  // the window finds its settings itself
        QDir().mkpath(dir.path("program"));
        places.programFolder = dir.path("program");
        places.configFolder = dir.path("config/Quorvanta");
        places.dataFolder = dir.path("data/Quorvanta");
    }
    void TearDown() override {
        QFile::setPermissions(places.programFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // Where modes do not bind (root, Windows) the folder is also the installed one.
    void makeProgramFolderReadOnly() {
        QFile::setPermissions(places.programFolder, QFile::ReadOwner | QFile::ExeOwner);
        if (qvtest::folderModesIgnored()) places.installedFolders << places.programFolder;
    }
    FilePlaces places;
};

TEST_F(InstalledCopy, SetupComApplyWritesThePerUserSettingsFile) {
    makeProgramFolderReadOnly();
    ScopedFilePlaces scoped(places);
    auto w = window();
    QTimer::singleShot(0, [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dlg = qobject_cast<SetupComDialog*>(top); dlg && dlg->isVisible()) {
                dlg->findChild<QComboBox*>("portCombo")->setEditText("/dev/ttyUSB7");
                QTest::keyClick(dlg, Qt::Key_Return);
            }
    });
    w->settingsClicked();

    const QString perUser = dir.path("config/Quorvanta/setting.ini");
    ASSERT_TRUE(QFileInfo::exists(perUser));
    EXPECT_EQ(IniFile::load(perUser).value(u"COM", u"Port"), "/dev/ttyUSB7");
    EXPECT_FALSE(QFileInfo::exists(dir.path("program/setting.ini")));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
}

// ---- The port list ----------------------------------------------------------------------

SerialPortEntry port(const char* path, const char* description = "", std::optional<uint16_t> vid = {},
                     std::optional<uint16_t> pid = {}, const char* manufacturer = "") {
    SerialPortEntry e;
    e.path = path;
    e.name = QFileInfo(e.path).fileName();
    e.description = description;
    e.manufacturer = manufacturer;
    e.vendorId = vid;
    e.productId = pid;
    return e;
}

class PortList : public ::testing::Test {
protected:
    QString path() const { return dir.path("setting.ini"); }
    static QStringList labels(QComboBox* c) {
        QStringList l;
        for (int i = 0; i < c->count(); ++i) l << c->itemText(i);
        return l;
    }
    qvtest::ScratchDir dir;
    QList<SerialPortEntry> machine = {port("/dev/ttyS0"), port("/dev/ttyUSB10", "FT232R USB UART", 0x0403, 0x6001),
                                      port("/dev/ttyACM0", "", 0x1004, 0x61aa, "LG Electronics"),
                                      port("/dev/ttyUSB2", "CP2102", 0x10c4, 0xea60), port("/dev/ttyS1", "16550A")};
    SerialPortSource stub() const {
        return [this] { return machine; };
    }
};

// Each port named by what the system knows of it: its description or maker and its USB ids, or
// its device alone.
TEST_F(PortList, ShowsUsbAdaptersFirstByNameStoresTheDevicePathAndKeepsOneNoLongerThere) {
    qvtest::writeAll(path(), "[COM]\r\nPort=/dev/ttyUSB10\r\n");
    SetupComDialog dlg(path(), nullptr, stub());
    auto* cb = dlg.findChild<QComboBox*>("portCombo");
    EXPECT_EQ(labels(cb), (QStringList{QString::fromUtf8("ttyACM0 \u2014 LG Electronics (1004:61aa)"),
                                       QString::fromUtf8("ttyUSB2 \u2014 CP2102 (10c4:ea60)"),
                                       QString::fromUtf8("ttyUSB10 \u2014 FT232R USB UART (0403:6001)"),
                                       "/dev/ttyS0", QString::fromUtf8("ttyS1 \u2014 16550A")}));
    EXPECT_EQ(cb->currentIndex(), 2);  // the configured device, found by its path

    dlg.apply();  // applied unchanged: the path, not the label
    EXPECT_EQ(IniFile::load(path()).value(u"COM", u"Port"), "/dev/ttyUSB10");

    SetupComDialog again(path(), nullptr, stub());
    again.findChild<QComboBox*>("portCombo")->setCurrentIndex(0);
    again.apply();
    EXPECT_EQ(again.settings().port, "/dev/ttyACM0");

    SetupComDialog typed(path(), nullptr, stub());
    typed.findChild<QComboBox*>("portCombo")->setEditText(" /dev/ttyUSB5 ");
    typed.apply();
    EXPECT_EQ(typed.settings().port, "/dev/ttyUSB5");

    machine.clear();  // without any port the configured one stays and is kept
    SetupComDialog none(path(), nullptr, stub());
    EXPECT_EQ(none.findChild<QComboBox*>("portCombo")->currentText(), "/dev/ttyUSB5");
    none.apply();
    EXPECT_EQ(IniFile::load(path()).value(u"COM", u"Port"), "/dev/ttyUSB5");
}

}  // namespace
