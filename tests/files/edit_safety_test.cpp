// An edit never changes the open pair in place: it is saved as a new pair or not at all, through
// symbolic links, against table files that claim too much, and with another process about.
#include "files/pair_lock.h"
#include "files/small_service_file.h"
#include "files/workspace.h"
#include "support/test_support.h"
#include "support/expected_value.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <functional>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <thread>

using namespace qv;
using namespace qvtest;

namespace {

class EditSafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        sav = dir.path("m.sav");
        mem = dir.path("m.mem");
        model.write(sav);
        ASSERT_TRUE(ws.open(sav).ok());
        oldSav = readAll(sav);
        oldMem = readAll(mem);
    }
    void TearDown() override { ws.setRewriteFaultHook({}); }

    // The edit of a string's bytes and its font page together, as the string editor makes it.
    Result editString() {
        return ws.edit([&] {
            ws.image().strings[2].fontAttribute = 3;
            return ws.writeBlob(kStringTable, 2, QByteArray(model.strings[2].size(), 'Z'));
        });
    }

    ScratchDir dir;
    SmallServiceFile model;
    Workspace ws;
    QString sav, mem;
    QByteArray oldSav, oldMem;
};

const RewriteStep kSteps[] = {RewriteStep::CreateFiles, RewriteStep::WriteItems, RewriteStep::WriteTables,
                              RewriteStep::Flush,       RewriteStep::Marker,     RewriteStep::SwapData,
                              RewriteStep::SwapTable};

TEST_F(EditSafetyTest, AnEditThatCannotBeSavedLeavesFilesAndWorkspaceAsTheyWere) {
    for (RewriteStep step : kSteps) {
        SCOPED_TRACE(int(step));
        SetUp();
        ws.setRewriteFaultHook([step](RewriteStep at) { return at == step ? FaultKind::Fail : FaultKind::None; });
        const Result s = editString();
                ASSERT_FALSE(s.ok());
        // Once the new data file is in place the workspace keeps the edit, which it addresses.
        EXPECT_EQ(ws.image().strings[2].fontAttribute, step == RewriteStep::SwapTable ? 3 : model.image->strings[2].fontAttribute);

#ifdef _WIN32
        // Windows replaces no file that another holds open: the swap is finished once this
        // workspace has let go.
        if (step == RewriteStep::SwapTable) ws.close();
#endif
        Workspace fresh;
        ASSERT_TRUE(fresh.open(sav).ok());
        QByteArray now;
        if (step != RewriteStep::SwapTable) {
            // Nothing reached the disk: both files byte for byte, the workspace as before.
            EXPECT_EQ(readAll(sav), oldSav);
            EXPECT_EQ(readAll(mem), oldMem);
            EXPECT_EQ(fresh.image().strings[2].fontAttribute, model.image->strings[2].fontAttribute);
            now = qvtest::valueOf(ws.readBlob(kStringTable, 2));
            EXPECT_EQ(now, model.strings[2]);
            EXPECT_EQ(ws.image().strings[2].fontAttribute, model.image->strings[2].fontAttribute);
        } else {
            // The new data file was in place: the new pair is completed, never a mix.
            now = qvtest::valueOf(fresh.readBlob(kStringTable, 2));
            EXPECT_EQ(now, QByteArray(model.strings[2].size(), 'Z'));
            EXPECT_EQ(fresh.image().strings[2].fontAttribute, 3);
        }
    }
}

TEST_F(EditSafetyTest, ARefusedChangeSavesNothingAndRollsBackTheImage) {
    const Result s = ws.edit([&] {
        ws.image().melodies[0].nameString = 7;
        return Result::failure("refused");
    });
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(ws.image().melodies[0].nameString, model.image->melodies[0].nameString);
    EXPECT_EQ(readAll(sav), oldSav);
    EXPECT_EQ(readAll(mem), oldMem);
}

TEST_F(EditSafetyTest, AnEditThroughSymbolicLinksReplacesTheTargetsAndKeepsTheLinks) {
#ifdef _WIN32
    GTEST_SKIP() << "QFile::link makes shortcuts on Windows, not symbolic links";
#endif
    ASSERT_TRUE(QDir().mkdir(dir.path("links")));
    const QString linkSav = dir.path("links/phone.sav"), linkMem = dir.path("links/phone.mem");
    ASSERT_TRUE(QFile::link(sav, linkSav));
    ASSERT_TRUE(QFile::link(mem, linkMem));
    Workspace linked;
    ASSERT_TRUE(linked.open(linkSav).ok());
    ASSERT_TRUE(linked.writeBlob(kStringTable, 1, QByteArray(model.strings[1].size(), 'L')).ok());

    EXPECT_TRUE(QFileInfo(linkSav).isSymLink());
    EXPECT_TRUE(QFileInfo(linkMem).isSymLink());
    EXPECT_NE(readAll(sav), oldSav);  // the targets hold the new pair
    Workspace fresh;
    ASSERT_TRUE(fresh.open(sav).ok());
    QByteArray now;
    now = qvtest::valueOf(fresh.readBlob(kStringTable, 1));
    EXPECT_EQ(now, QByteArray(model.strings[1].size(), 'L'));
    EXPECT_EQ(QDir(dir.path("links")).entryList(QDir::Files | QDir::System).size(), 2);
    EXPECT_EQ(QDir(dir.path()).entryList({"m.*"}, QDir::Files).size(), 2);  // no .sa2/.me2/.sw2/.lck left
}

TEST_F(EditSafetyTest, ASaveTheReaderWouldRefuseIsNotSwappedIn) {
    // The directory marks the operator table absent but keeps the country table: it opens,
    // but a rewrite cannot place the country table and the result would not open.
    model.tables = {1, 6, 2, 5, 9, 4, 7, 8};
    model.image->entry(kOperatorTable).present = 0;
    model.write(sav);
    oldSav = readAll(sav);
    oldMem = readAll(mem);
    Workspace w;
    ASSERT_TRUE(w.open(sav).ok());
    const int strings = w.rowCount(ListKind::Strings);
    const Result s = w.save();
    ASSERT_FALSE(s.ok());
    EXPECT_TRUE(s.message().contains("would not open")) << s.message().toStdString();
    EXPECT_EQ(readAll(sav), oldSav);
    EXPECT_EQ(readAll(mem), oldMem);
    EXPECT_EQ(w.rowCount(ListKind::Strings), strings);
    EXPECT_FALSE(QFile::exists(dir.path("m.sa2")));
    EXPECT_FALSE(QFile::exists(dir.path("m.me2")));
}

TEST_F(EditSafetyTest, SizesATableFileMerelyClaimsAreRefused) {
    // A melody slot of 2 GiB in a sparse data file: refused at open, nothing allocated.
    model.image->melodies[0].size = 0x80000000u;
    model.write(sav);
    {
        QFile data(mem);
        ASSERT_TRUE(data.open(QIODevice::ReadWrite));
        ASSERT_TRUE(data.resize(qint64(0x80000000u) + 4096));
    }
    Workspace w;
    Result s = w.open(sav);
    ASSERT_EQ(s.code(), ResultCode::TooLarge);
    EXPECT_TRUE(s.message().contains("more than a phone's flash")) << s.message().toStdString();

    // Every picture entry claiming the whole data file: a save would write it 15,000 times.
    SmallServiceFile many;
    many.write(sav);
    writeAll(mem, readAll(mem) + QByteArray(8192, '\0'));
    const qint64 dataSize = QFileInfo(mem).size();
    MediaImage& m = *many.image;
    m.entry(kPictureTable).count = kPictCapacity;
    for (auto& p : m.pictures) p = many.image->pictures[0], p.memOffset = 0, p.size = uint32_t(dataSize);
    writeAll(sav, many.tableFileBytes());
    oldSav = readAll(sav);
    oldMem = readAll(mem);
    ASSERT_TRUE(w.open(sav).ok());
    s = w.save();
    ASSERT_EQ(s.code(), ResultCode::Damaged);
    EXPECT_TRUE(s.message().contains("distinct items")) << s.message().toStdString();
    EXPECT_EQ(readAll(sav), oldSav);
    EXPECT_EQ(readAll(mem), oldMem);
}

TEST_F(EditSafetyTest, ASaveKeepsTheModesOfTheFilesItReplaces) {
#ifdef _WIN32
    // Windows has one mode, the read-only attribute; such a file is replaced all the same.
    ASSERT_TRUE(QFile::setPermissions(sav, QFile::ReadOwner | QFile::ReadUser));
    ASSERT_TRUE(ws.writeBlob(kStringTable, 0, QByteArray(model.strings[0].size(), 'M')).ok());
    EXPECT_NE(readAll(mem), oldMem);
    EXPECT_FALSE(QFileInfo(sav).isWritable());
    EXPECT_TRUE(QFileInfo(mem).isWritable());
    QFile::setPermissions(sav, QFile::ReadOwner | QFile::WriteOwner);
#else
    auto mode = [](const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
    };
    ASSERT_EQ(::chmod(QFile::encodeName(sav).constData(), 0440), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(mem).constData(), 0400), 0);
    ASSERT_TRUE(ws.writeBlob(kStringTable, 0, QByteArray(model.strings[0].size(), 'M')).ok());
    EXPECT_NE(readAll(mem), oldMem);
    EXPECT_EQ(mode(sav), 0440);
    EXPECT_EQ(mode(mem), 0400);
#endif
}

TEST_F(EditSafetyTest, LeftoversOfAnotherProcessSaveAreKeptWhileItHoldsTheLock) {
    // Another process is saving: its lock is held and its new files are half written.
    PairLock other;
    ASSERT_TRUE(other.acquire(ServiceFileNames(sav).lock).ok());
    writeAll(dir.path("m.sa2"), "in progress");
    writeAll(dir.path("m.me2"), "in progress");

    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        // Still there: the waiting open has not taken them for a crash's leftovers.
        EXPECT_TRUE(QFile::exists(dir.path("m.sa2")));
        QFile::remove(dir.path("m.sa2"));  // the save ends as saves do: its files are renamed away
        QFile::remove(dir.path("m.me2"));
        other.release();
    });
    // A second open of the same pair, from another lock (as another process has), waits.
    Workspace second;
    EXPECT_TRUE(second.open(sav).ok());
    release.join();

    // Held for longer than a writer waits: it says the file is in use. Taken twice by one
    // holder, it is held until the outer release.
    const QString lock = ServiceFileNames(sav).lock;
    ASSERT_TRUE(other.acquire(lock).ok());
    ASSERT_TRUE(other.acquire(lock).ok());
    other.release();
    PairLock third;
    const Result s = third.acquire(lock, 0);
    EXPECT_EQ(s.code(), ResultCode::InUse) << "the inner release let go";
    EXPECT_TRUE(s.message().contains("in use")) << s.message().toStdString();
    other.release();
    EXPECT_TRUE(third.acquire(lock, 0).ok());
    third.release();
    EXPECT_FALSE(QFile::exists(ServiceFileNames(sav).lock));  // the lock file goes with the last holder
}

TEST_F(EditSafetyTest, ALockNameThatIsNoFileIsRefusedNotFollowed) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links and named pipes are POSIX";
#else
    const QString lock = dir.path("m.lck"), outside = dir.path("outside/made-by-the-lock");
    ASSERT_TRUE(QDir().mkdir(dir.path("outside")));
    const std::pair<const char*, std::function<bool()>> cases[] = {
        {"a dangling link out of the folder", [&] { return QFile::link(outside, lock); }},
        {"a named pipe", [&] { return ::mkfifo(QFile::encodeName(lock).constData(), 0644) == 0; }},
    };
    for (const auto& [what, place] : cases) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(place());
        const Result s = editString();
        ASSERT_EQ(s.code(), ResultCode::Refused);
        EXPECT_TRUE(s.message().contains("Can not lock m.lck")) << s.message().toStdString();
        EXPECT_FALSE(QFile::exists(outside));
        EXPECT_TRUE(QFileInfo(lock).isSymLink() || QFileInfo::exists(lock));  // left for the user to look at
        EXPECT_EQ(readAll(sav), oldSav);
        EXPECT_EQ(readAll(mem), oldMem);
        ASSERT_TRUE(QFile::remove(lock));
    }
#endif
}

TEST_F(EditSafetyTest, ADeviceIsNoServiceFile) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no device files";
#endif
    Workspace w;
    const Result s = w.open("/dev/zero");
    ASSERT_EQ(s.code(), ResultCode::Refused);
    EXPECT_TRUE(s.message().contains("not a regular file")) << s.message().toStdString();
}

}  // namespace

namespace {

TEST_F(EditSafetyTest, AnEditThatThrowsLeavesTheWorkspaceReadyForTheNext) {
    EXPECT_THROW(ws.edit([&]() -> Result {
        ws.image().strings[1].fontAttribute = 4;
        (void)ws.writeBlob(kStringTable, 1, QByteArray(model.strings[1].size(), 'T'));
        throw std::bad_alloc();
    }),
                 std::bad_alloc);
    EXPECT_EQ(ws.image().strings[1].fontAttribute, model.image->strings[1].fontAttribute);
    QByteArray held;
    held = qvtest::valueOf(ws.readBlob(kStringTable, 1));
    EXPECT_EQ(held, model.strings[1]);
    // Not stuck inside the failed edit: the next one saves.
    ASSERT_TRUE(ws.writeBlob(kStringTable, 1, QByteArray(model.strings[1].size(), 'U')).ok());
    EXPECT_NE(readAll(mem), oldMem);
}

}  // namespace
