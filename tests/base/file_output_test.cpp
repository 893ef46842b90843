// Output files land only as regular files at the name given: whatever else stands there is
// refused and left exactly as it was, and so are the names an open service file reserves.
#ifndef _WIN32  // named pipes, device nodes and symbolic links are POSIX file kinds; on Windows the writer is Qt's own
#include "base/file_output.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace qv;
using namespace qvtest;

namespace {

int modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode) : -1;
}

bool makeNode(const QString& path, mode_t mode, dev_t device = 0) {
    return ::mknod(QFile::encodeName(path).constData(), mode, device) == 0;
}

struct Hostile {
    const char* what;
    // Puts the hostile thing at `target`; false when this user cannot make it.
    std::function<bool(const ScratchDir&, const QString& target)> place;
    const char* reason;
};

TEST(FileOutput, WhatIsNotARegularFileIsRefusedAndLeftAsItWas) {
    const Hostile cases[] = {
        {"named pipe", [](const ScratchDir&, const QString& t) { return makeNode(t, S_IFIFO | 0644); }, "a named pipe"},
        {"device", [](const ScratchDir&, const QString& t) { return ::geteuid() == 0 && makeNode(t, S_IFCHR | 0666, makedev(1, 3)); },
         "a device"},
        {"folder", [](const ScratchDir&, const QString& t) { return QDir().mkdir(t); }, "a folder"},
        {"link out of the folder",
         [](const ScratchDir& d, const QString& t) { writeAll(d.path("elsewhere"), "theirs"); return QFile::link(d.path("elsewhere"), t); },
         "symbolic link"},
        {"dangling link", [](const ScratchDir& d, const QString& t) { return QFile::link(d.path("nowhere"), t); }, "symbolic link"},
        {"read-only file",
         [](const ScratchDir&, const QString& t) { writeAll(t, "kept"); return ::chmod(QFile::encodeName(t).constData(), 0444) == 0; },
         "read-only"},
    };
    for (const Hostile& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        ASSERT_TRUE(QDir().mkdir(dir.path("out")));
        const QString target = dir.path("out/00000_128x160.png");
        if (!c.place(dir, target)) {
            std::printf("[  SKIPPED ] a %s: making one needs root\n", c.what);
            continue;
        }
        const int modeBefore = modeOf(target);
        const QByteArray contentBefore = QFileInfo(target).isFile() ? readAll(target) : QByteArray();
        for (WriteRole role : {WriteRole::Output, WriteRole::OwnFile}) {
            if (role == WriteRole::OwnFile && QByteArray(c.what) == "link out of the folder") continue;  // followed
            const Result s = writeWholeFile(target, "new bytes", role);
            ASSERT_EQ(s.code(), ResultCode::Refused);
            EXPECT_TRUE(s.message().contains(c.reason)) << s.message().toStdString();
            EXPECT_TRUE(s.message().contains(target)) << s.message().toStdString();
        }
        EXPECT_EQ(modeOf(target), modeBefore);
        if (QFileInfo(target).isFile()) {
            EXPECT_EQ(readAll(target), contentBefore);
        }
        EXPECT_FALSE(QFile::exists(dir.path("nowhere")));  // a dangling link's target is never made
        if (QFile::exists(dir.path("elsewhere"))) {
            EXPECT_EQ(readAll(dir.path("elsewhere")), "theirs");
        }
        EXPECT_EQ(QDir(dir.path("out")).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(), 1);
    }
}

TEST(FileOutput, ARegularFileIsReplacedKeepingItsMode) {
    ScratchDir dir;
    const QString target = dir.path("strings.po");
    writeAll(target, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    ASSERT_TRUE(writeWholeFile(target, "new").ok());
    EXPECT_EQ(readAll(target), "new");
    EXPECT_EQ(modeOf(target) & 07777, 0640);
    // The program's own files may be kept elsewhere through a link; the link stays.
    const QString link = dir.path("setting.ini");
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_TRUE(writeWholeFile(link, "through the link", WriteRole::OwnFile).ok());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readAll(target), "through the link");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no temporary left
}

TEST(FileOutput, NamesAnOpenServiceFileReservesAreNoOutput) {
    ScratchDir dir;
    ASSERT_TRUE(QDir().mkdir(dir.path("sub")));
    ASSERT_TRUE(QFile::link(dir.path(), dir.path("alias")));
    writeAll(dir.path("demo.mem"), "pair");
    const QStringList sameFile = {dir.path("demo.mem"), dir.path("sub/../demo.mem"), dir.path("alias/demo.mem")};
    {
        ReservedNames reserved({dir.path("demo.mem"), dir.path("demo.sw2")}, "demo.sav");
        for (const QString& path : sameFile + QStringList{dir.path("alias/demo.sw2")}) {
            SCOPED_TRACE(path.toStdString());
            const Result s = writeWholeFile(path, "export");
            ASSERT_EQ(s.code(), ResultCode::Refused);
            EXPECT_TRUE(s.message().contains("open service file demo.sav")) << s.message().toStdString();
        }
        EXPECT_EQ(readAll(dir.path("demo.mem")), "pair");
        EXPECT_FALSE(QFile::exists(dir.path("demo.sw2")));
        EXPECT_TRUE(writeWholeFile(dir.path("sub/demo.mem"), "another folder").ok());
    }
    EXPECT_TRUE(writeWholeFile(dir.path("alias/demo.mem"), "closed").ok());
}

}  // namespace
#endif
