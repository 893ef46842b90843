// Where a portable and an installed copy keep their settings, texts, exports and backups.
#include "files/file_places.h"
#include "files/settings.h"

#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using qv::FilePlaces;

class FilePlacesTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(dir.path("program"));
        places.programFolder = dir.path("program");
        places.configFolder = dir.path("config/Quorvanta");  // neither per-user folder exists yet
        places.dataFolder = dir.path("data/Quorvanta");
    }
    // The program folder of an installed copy: not writable, and where that does not bind
    // (root, Windows) also the folder the build installs to.
    void installed() {
        QFile::setPermissions(places.programFolder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        if (qvtest::folderModesIgnored()) places.installedFolders << places.programFolder;
    }
    void TearDown() override {
        QFile::setPermissions(places.programFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    qvtest::ScratchDir dir;
    FilePlaces places;
};

TEST_F(FilePlacesTest, APortableCopyKeepsEverythingBesideItselfAndMakesNoUserFolder) {
    EXPECT_TRUE(places.usesProgramFolder());
    EXPECT_EQ(places.settingsPath(), dir.path("program/setting.ini"));
    EXPECT_EQ(places.exportFolder(), places.programFolder);
    EXPECT_EQ(places.backupFolder(), places.programFolder);
    EXPECT_EQ(places.languageFolder(), places.programFolder);
    EXPECT_FALSE(QFileInfo::exists(places.configFolder));
    EXPECT_FALSE(QFileInfo::exists(places.dataFolder));
}

TEST_F(FilePlacesTest, AnInstalledCopyUsesThePerUserFoldersAndMakesThem) {
    installed();
    ASSERT_FALSE(places.usesProgramFolder());
    EXPECT_EQ(places.settingsPath(), dir.path("config/Quorvanta/setting.ini"));
    EXPECT_TRUE(QFileInfo(places.configFolder).isDir());
    EXPECT_EQ(places.exportFolder(), places.dataFolder);
    EXPECT_EQ(places.backupFolder(), places.dataFolder);
    EXPECT_TRUE(QFileInfo(places.dataFolder).isDir());

    // The settings round-trip through the per-user file the places name.
    qv::Settings s;
    s.port = QStringLiteral("/dev/ttyUSB1");
    const qv::Result saved = s.save(places.settingsPath());
    ASSERT_TRUE(saved) << saved.message().toStdString();
    EXPECT_EQ(qv::Settings::load(places.settingsPath()).port, "/dev/ttyUSB1");
    EXPECT_FALSE(QFileInfo::exists(dir.path("program/setting.ini")));
}

TEST_F(FilePlacesTest, TheInstallationFolderIsNeverTheHomeEvenWhenWritableOrReachedByALink) {
#ifdef _WIN32
    GTEST_SKIP() << "QFile::link makes shortcuts on Windows, not symbolic links";
#endif
    ASSERT_TRUE(QFile::link(places.programFolder, dir.path("bin-link")));
    places.installedFolders = {dir.path("elsewhere"), dir.path("bin-link")};
    EXPECT_FALSE(places.usesProgramFolder());
    EXPECT_EQ(places.settingsPath(), dir.path("config/Quorvanta/setting.ini"));

    places.installedFolders = {dir.path("elsewhere")};
    EXPECT_TRUE(places.usesProgramFolder());
}

TEST_F(FilePlacesTest, LanguageFileIsLookedForPerUserFirstThenBesideTheProgram) {
    installed();
    EXPECT_EQ(places.languagePaths(),
              (QStringList{dir.path("config/Quorvanta/language.ini"), dir.path("program/language.ini")}));
    EXPECT_EQ(places.languageFolder(), places.programFolder);  // none anywhere: the usual place

    QFile::setPermissions(places.programFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qvtest::writeAll(dir.path("program/language.ini"), "[Language]\r\n");
    EXPECT_EQ(places.languageFolder(), places.programFolder);

    QDir().mkpath(places.configFolder);
    qvtest::writeAll(dir.path("config/Quorvanta/language.ini"), "[Language]\r\n");
    EXPECT_EQ(places.languageFolder(), places.configFolder);
}

TEST_F(FilePlacesTest, TheScopedPlacesAreWhatSettingsUseAndTheyEndWithTheScope) {
    const QString before = qv::Settings::defaultPath();
    {
        installed();
        qv::ScopedFilePlaces scoped(places);
        EXPECT_EQ(qv::Settings::defaultPath(), dir.path("config/Quorvanta/setting.ini"));
        EXPECT_EQ(FilePlaces::current().dataFolder, places.dataFolder);
    }
    EXPECT_EQ(qv::Settings::defaultPath(), before);
}

}  // namespace
