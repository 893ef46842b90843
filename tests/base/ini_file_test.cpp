#include "base/ini_file.h"

#include "base/not_ini_files.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using qv::IniFile;

struct ReadCase {
    const char* name;
    QByteArray file;
    const char* section;
    const char* key;
    QString expected;  // "<default>" when the default must come back
};

TEST(IniFile, ReadsWithPrivateProfileRules) {
    const QString def = QStringLiteral("<default>");
    const ReadCase cases[] = {
        {"commas stay in the value", "[S]\r\nk=1, 2,3\r\n", "S", "k", "1, 2,3"},
        {"surrounding space trimmed", "[S]\r\n  k  =   a b  \r\n", "S", "k", "a b"},
        {"one pair of quotes removed", "[S]\nk=\"  a, b  \"\n", "S", "k", "  a, b  "},
        {"only one pair", "[S]\nk=\"\"x\"\"\n", "S", "k", "\"x\""},
        {"unbalanced quote kept", "[S]\nk=\"x\n", "S", "k", "\"x"},
        {"empty quotes", "[S]\nk=\"\"\n", "S", "k", ""},
        {"empty value is not the default", "[S]\nk=\n", "S", "k", ""},
        {"section and key case-insensitive", "[LangUAGE]\nPort=COM1\n", "language", "PORT", "COM1"},
        {"spaces in the header", "[ S ]\nk=1\n", "S", "k", "1"},
        {"equals sign inside the value", "[S]\nk=a=b\n", "S", "k", "a=b"},
        {"semicolon line is a comment", "[S]\n;k=1\n", "S", "k", def},
        {"semicolon inside a value kept", "[S]\nk=a ;b\n", "S", "k", "a ;b"},
        {"first of two equal keys wins", "[S]\nk=1\nK=2\n", "S", "k", "1"},
        {"key of another section", "[A]\nk=1\n[S]\nj=2\n", "S", "k", def},
        {"key before any header", "k=1\n[S]\n", "S", "k", def},
        {"missing section", "[A]\nk=1\n", "S", "k", def},
        {"no final line end", "[S]\nk=last", "S", "k", "last"},
        {"Windows-1251 bytes", "[S]\nk=\xCF\xF0\xE8\xB6\n", "S", "k", QString::fromUtf8("При¶")},
        {"UTF-8 with byte order mark", "\xEF\xBB\xBF[S]\nk=\xD0\x9F\xD1\x80\n", "S", "k", QString::fromUtf8("Пр")},
    };
    for (const ReadCase& c : cases) {
        const IniFile ini = IniFile::parse(c.file);
        EXPECT_EQ(ini.value(QString::fromLatin1(c.section), QString::fromLatin1(c.key), def), c.expected) << c.name;
        EXPECT_EQ(ini.contains(QString::fromLatin1(c.section), QString::fromLatin1(c.key)), c.expected != def)
            << c.name;
    }
}

TEST(IniFile, MissingFileIsEmpty) {
    qvtest::ScratchDir dir;
    const IniFile ini = IniFile::load(dir.path("none.ini"));
    EXPECT_FALSE(ini.exists());
    EXPECT_EQ(ini.value(u"S", u"k", QStringLiteral("d")), "d");

    qvtest::writeAll(dir.path("some.ini"), "");
    EXPECT_TRUE(IniFile::load(dir.path("some.ini")).exists());
}

TEST(IniFile, WhatIsNoIniTextIsNotRead) {
    for (const qvtest::NotIniFile& c : qvtest::notIniFiles()) {
        qvtest::ScratchDir dir;
        const QString path = dir.path("x.ini");
        c.make(path);
        const IniFile ini = IniFile::load(path);
        EXPECT_FALSE(ini.exists()) << c.name;
        EXPECT_TRUE(ini.problem().contains(QLatin1String(c.reason))) << c.name << ": " << ini.problem().toStdString();
        EXPECT_FALSE(ini.contains(u"Language", u"8030")) << c.name;
    }

    qvtest::ScratchDir dir;
    qvtest::writeAll(dir.path("limit.ini"), qvtest::textOfSize(IniFile::kMaxFileSize));
    const IniFile atLimit = IniFile::load(dir.path("limit.ini"));
    EXPECT_TRUE(atLimit.exists());
    EXPECT_TRUE(atLimit.problem().isEmpty()) << atLimit.problem().toStdString();
    EXPECT_EQ(atLimit.value(u"Language", u"8030"), "Bilder");
    EXPECT_TRUE(IniFile::load(dir.path("none.ini")).problem().isEmpty()) << "a missing file is no problem";
}

#ifndef _WIN32
// lstat's view of a path: what it is, its size, and the bytes of a small regular file.
QString fingerprint(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return QStringLiteral("missing");
    QString f = QStringLiteral("mode %1 size %2").arg(st.st_mode & S_IFMT).arg(qint64(st.st_size));
    if (S_ISREG(st.st_mode) && st.st_size < 4096) f += QString::fromLatin1(qvtest::readAll(path).toHex());
    return f;
}

TEST(IniFile, FileThatWasNotReadIsNeverReplaced) {
    for (const qvtest::NotIniFile& c : qvtest::notIniFiles()) {
        qvtest::ScratchDir dir;
        const QString path = dir.path("setting.ini");
        c.make(path);
        if (QFileInfo(path).isSymLink()) continue;  // never risk writing through a link to a real device
        const QString before = fingerprint(path);
        IniFile ini = IniFile::load(path);
        ini.setValue(u"COM", u"Port", QStringLiteral("COM3"));
        const qv::Result saved = ini.save(path);
        EXPECT_EQ(saved.code(), qv::ResultCode::Refused) << c.name;
        EXPECT_TRUE(saved.message().contains(path)) << c.name << ": " << saved.message().toStdString();
        EXPECT_EQ(fingerprint(path), before) << c.name;
    }

    // A link to something that is no regular file, saved to without loading it first.
    qvtest::ScratchDir dir;
    const QString pipe = dir.path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(pipe, dir.path("setting.ini")));
    IniFile fresh;
    fresh.setValue(u"COM", u"Port", QStringLiteral("COM3"));
    EXPECT_FALSE(fresh.save(dir.path("setting.ini")));
    EXPECT_TRUE(QFileInfo(dir.path("setting.ini")).isSymLink());
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(pipe).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the pipe was replaced";
}
#else
TEST(IniFile, FileThatWasNotReadIsNeverReplaced) { GTEST_SKIP() << "needs POSIX named pipes and lstat"; }
#endif

TEST(IniFile, SaveKeepsEverythingItDidNotChange) {
    qvtest::ScratchDir dir;
    const QString path = dir.path("setting.ini");
    qvtest::writeAll(path,
                     "; written by hand\n"
                     "[Setting]\n"
                     "  Port = COM1 \n"
                     "Unknown=\"keep, me\"\n"
                     "\n"
                     "; players\n"
                     "[Other]\n"
                     "x=\xCF\xF0\xE8\n");
    IniFile ini = IniFile::load(path);
    ini.setValue(u"setting", u"PORT", QStringLiteral("COM3"));
    ini.setValue(u"Setting", u"BaudRD", QStringLiteral("115200"));
    ini.setValue(u"New", u"a", QString::fromUtf8("б¶"));
    const qv::Result saved = ini.save(path);
    ASSERT_TRUE(saved) << saved.message().toStdString();

    EXPECT_EQ(qvtest::readAll(path), QByteArray("; written by hand\r\n"
                                                "[Setting]\r\n"
                                                "Port=COM3\r\n"
                                                "Unknown=\"keep, me\"\r\n"
                                                "BaudRD=115200\r\n"
                                                "\r\n"
                                                "; players\r\n"
                                                "[Other]\r\n"
                                                "x=\xCF\xF0\xE8\r\n"
                                                "\r\n"
                                                "[New]\r\n"
                                                "a=\xE1\xB6\r\n"));
    const IniFile back = IniFile::load(path);
    EXPECT_EQ(back.value(u"Setting", u"Unknown"), "keep, me");
    EXPECT_EQ(back.value(u"New", u"a"), QString::fromUtf8("б¶"));
}

TEST(IniFile, SaveKeepsUtf8Files) {
    qvtest::ScratchDir dir;
    qvtest::writeAll(dir.path("u.ini"), "\xEF\xBB\xBF[S]\nk=\xE4\xB8\xAD\n");
    IniFile utf8 = IniFile::load(dir.path("u.ini"));
    utf8.setValue(u"S", u"j", QStringLiteral("1"));
    ASSERT_TRUE(utf8.save(dir.path("u.ini")));
    EXPECT_EQ(qvtest::readAll(dir.path("u.ini")), QByteArray("\xEF\xBB\xBF[S]\r\nk=\xE4\xB8\xAD\r\nj=1\r\n"));
}

TEST(IniFile, EveryValueReadsBackAsItWasSet) {
    const std::pair<QString, QString> cases[] = {
        {"plain", "plain"},
        {" leading space", " leading space"},
        {"C:\\Players\\play.exe ", "C:\\Players\\play.exe "},
        {QString::fromUtf8("no-break space\u00A0"), QString::fromUtf8("no-break space\u00A0")},
        {"\"quoted\"", "\"quoted\""},
        {"\"", "\""},
        {"\"\"", "\"\""},
        {"one \"inner\" pair", "one \"inner\" pair"},
        {"two\r\nlines\n", "two  lines "},
        {"", ""},
    };
    qvtest::ScratchDir dir;
    const QString path = dir.path("setting.ini");
    for (const auto& [value, expected] : cases) {
        IniFile ini = IniFile::load(path);
        ini.setValue(u"Melody", u"Player", value);
        ini.setValue(u"Melody", u"Next", QStringLiteral("x"));
        ASSERT_TRUE(ini.save(path));
        const IniFile back = IniFile::load(path);
        EXPECT_EQ(back.value(u"Melody", u"Player"), expected) << value.toStdString();
        EXPECT_EQ(back.value(u"Melody", u"Next"), "x") << value.toStdString();
    }
}

// The old file is replaced, never written over: a second name for it still shows the old
// bytes, so a save that fails half-way cannot have truncated it.
TEST(IniFile, SaveReplacesTheFileInsteadOfOverwritingIt) {
    qvtest::ScratchDir dir;
    const QString path = dir.path("setting.ini");
    qvtest::writeAll(path, "[S]\r\nk=old\r\n");
#ifdef _WIN32
    GTEST_SKIP() << "needs a second name for a file (link)";
#else
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(dir.path("alias")).constData()), 0);

    IniFile ini = IniFile::load(path);
    ini.setValue(u"S", u"k", QStringLiteral("new"));
    ASSERT_TRUE(ini.save(path));
    EXPECT_EQ(qvtest::readAll(path), QByteArray("[S]\r\nk=new\r\n"));
    EXPECT_EQ(qvtest::readAll(dir.path("alias")), QByteArray("[S]\r\nk=old\r\n"));
#endif
}

TEST(IniFile, SaveIntoReadOnlyFolderFailsWithoutDamage) {
    if (const char* why = qvtest::folderModesIgnored()) GTEST_SKIP() << why;
    qvtest::ScratchDir dir;
    const QString sub = dir.path("ro");
    ASSERT_TRUE(QDir().mkpath(sub));
    const QString path = sub + "/setting.ini";
    qvtest::writeAll(path, "[S]\r\nk=old\r\n");  // the file itself stays writable
    QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner);

    IniFile ini = IniFile::load(path);
    ini.setValue(u"S", u"k", QStringLiteral("new"));
    const qv::Result saved = ini.save(path);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(saved.detail().isEmpty());
    EXPECT_EQ(qvtest::readAll(path), QByteArray("[S]\r\nk=old\r\n"));
    QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace
