#include "files/settings.h"

#include "base/not_ini_files.h"
#include "support/test_support.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

using qv::Settings;

TEST(Settings, FileThatIsNoTextGivesDefaultsAndStaysAsItIs) {
    for (const qvtest::NotIniFile& c : qvtest::notIniFiles()) {
        qvtest::ScratchDir dir;
        const QString path = dir.path("setting.ini");
        c.make(path);
        const auto [s, warning] = Settings::loadWithWarning(path);
        EXPECT_EQ(s.port, "COM1") << c.name;
        EXPECT_EQ(s.baudRD, 115200u) << c.name;
        EXPECT_TRUE(warning.contains(QDir::toNativeSeparators(path))) << c.name << ": " << warning.toStdString();
        EXPECT_TRUE(warning.contains(QLatin1String(c.reason))) << c.name << ": " << warning.toStdString();
    }

    // A binary setting.ini is not swapped for a new one when the settings are stored.
    qvtest::ScratchDir dir;
    const QString path = dir.path("setting.ini");
    const QByteArray binary("[COM]\r\nPort=COM4\r\n\0\x01\x02", 20);
    qvtest::writeAll(path, binary);
    Settings s;
    s.port = QStringLiteral("COM7");
    const qv::Result saved = s.save(path);
    EXPECT_EQ(saved.code(), qv::ResultCode::Refused);
    EXPECT_TRUE(saved.message().contains(path)) << saved.message().toStdString();
    EXPECT_EQ(qvtest::readAll(path), binary);

    qvtest::writeAll(path, "[COM]\r\nPort=COM4\r\n");
    const qv::LoadedSettings loaded = Settings::loadWithWarning(path);
    EXPECT_EQ(loaded.settings.port, "COM4");
    EXPECT_TRUE(loaded.warning.isEmpty());
}

}  // namespace
