// File filters, the file-name field and the serial port list.
#include "app/dialog_service.h"
#include "app/file_name_edit.h"
#include "app/serial_ports.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace qv;

namespace {

TEST(QtFileFilter, TurnsPairsIntoQtFilters) {
    const std::pair<const char*, const char*> cases[] = {
        {"Service file|*.sav", "Service file (*.sav)"},
        {"Text|*.txt|Pictures|*.bmp;*.png", "Text (*.txt);;Pictures (*.bmp *.png)"},
        {"Service file (*.sav)|*.sav", "Service file (*.sav)"},
        {"All files|", "All files (*)"},
        {"Melody", "Melody (*)"},
        {"|*.mel", "(*.mel)"},
        {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(qtFileFilter(in), out) << in;
}

TEST(FileNameEdit, BrowseAsksWithTheFieldsPropertiesAndTakesTheAnswer) {
    qvtest::ScratchDir dir;
    FileNameEdit edit;
    edit.setFilter("EXE files|*.exe");
    edit.setDefaultSuffix("*.exe");
    edit.setStartDir(dir.path());
    edit.setDialogTitle("old title");
    QList<FileRequest> asked;
    QString answer = "/opt/player/play.exe";
    edit.setChooser([&](QWidget* parent, const FileRequest& r) {
        EXPECT_EQ(parent, &edit);
        asked << r;
        return answer;
    });
    // Handlers of beforeDialog may still change what the dialog shows.
    QObject::connect(&edit, &FileNameEdit::beforeDialog, [&] { edit.setDialogTitle("Path to player"); });
    QSignalSpy chosen(&edit, &FileNameEdit::fileChosen);

    QTest::mouseClick(edit.browseButton(), Qt::LeftButton);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].title, "Path to player");
    EXPECT_EQ(asked[0].filter, "EXE files (*.exe)");
    EXPECT_EQ(asked[0].defaultSuffix, "exe");
    EXPECT_EQ(QDir(asked[0].directory), QDir(dir.path()));
    EXPECT_EQ(edit.text(), answer);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].toString(), answer);

    answer.clear();  // cancelled
    edit.browse();
    EXPECT_EQ(edit.text(), "/opt/player/play.exe");
    EXPECT_EQ(chosen.count(), 1);
}

TEST(SerialPorts, UsbAdaptersFirstThenOtherUsbThenLegacyPortsWithAUart) {
    qvtest::ScratchDir scratch;
    const QString root = QFileInfo(scratch.path()).canonicalFilePath();
    QDir(root).mkpath("dev/serial/by-id");
    const QString dev = root + "/dev";
    const QString sys = root + "/sys";
    for (const char* n : {"ttyS0", "ttyS1", "ttyS2", "ttyS10", "ttyUSB2", "ttyUSB10", "ttyACM0", "tty0", "null"})
        qvtest::writeAll(dev + "/" + n, "");
    ASSERT_TRUE(QFile::link(dev + "/ttyUSB10", dev + "/serial/by-id/usb-Cable_123-if00-port0"));
    ASSERT_TRUE(QFile::link(dev + "/ttyUSB99", dev + "/serial/by-id/usb-Gone-if00-port0"));  // dangling
    for (const auto& [name, type] : {std::pair{"ttyS0", "4"}, {"ttyS1", "0"}, {"ttyS2", "4"}}) {
        QDir(root).mkpath(QString("sys/%1").arg(name));
        qvtest::writeAll(QString("%1/%2/type").arg(sys, name), type);
    }
    const QStringList expected = {dev + "/ttyUSB10", dev + "/ttyACM0", dev + "/ttyUSB2",
                                  dev + "/ttyS0",    dev + "/ttyS2",   dev + "/ttyS10"};
    EXPECT_EQ(serialPortsUnder(dev, sys), expected);
}

TEST(SerialPorts, RegistryPortsFollowTheOrderOfTheValueNames) {
    const QStringList ports = portsByValueName({{"\\Device\\VCP0", "COM5"},
                                                {"\\Device\\Serial0", "COM1"},
                                                {"\\Device\\serial1", ""},
                                                {"\\Device\\Serial2", "COM2"}});
    EXPECT_EQ(ports, (QStringList{"COM1", "COM2", "COM5"}));
    EXPECT_FALSE(enumerateSerialPorts().isEmpty());
}

}  // namespace
