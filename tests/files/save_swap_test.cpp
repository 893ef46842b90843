// A save that fails or crashes at any step leaves the old pair or the new pair, never a mix,
// and the workspace addresses the data file that is really open.
#include "files/small_service_file.h"
#include "files/workspace.h"
#include "support/test_support.h"
#include "support/expected_value.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <optional>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace qv;
using namespace qvtest;

namespace {

class SaveSwapTest : public ::testing::Test {
protected:
    void SetUp() override {
        sav = dir.path("m.sav");
        mem = dir.path("m.mem");
        model.write(sav);
        ASSERT_TRUE(ws.open(sav).ok());
        // The edit the save must carry: the second melody is deleted.
        ws.image().melodies[1] = ws.image().melodies[2];
        ws.image().entry(kMelodyTable).count = 2;
        oldSav = readAll(sav);
        oldMem = readAll(mem);
    }
    void TearDown() override { ws.setRewriteFaultHook({}); }

    // Every listed blob of a freshly opened workspace equals the model's: the pair is whole.
    // Returns the melody count so the caller can tell the old pair (3) from the new (2).
    int checkPairOnDisk() {
#ifdef _WIN32
        // Windows replaces no file that another holds open: the workspace lets go first, as a
        // crashed process or a closed window would, so that the next open can finish a swap.
        ws.close();
#endif
        Workspace fresh;
        const Result s = fresh.open(sav);
        EXPECT_TRUE(s.ok()) << s.message().toStdString();
        expectBlobs(fresh);
        EXPECT_FALSE(QFile::exists(dir.path("m.sa2")));
        EXPECT_FALSE(QFile::exists(dir.path("m.me2")));
        EXPECT_FALSE(QFile::exists(dir.path("m.sw2")));
        return int(fresh.image().count(kMelodyTable));
    }
    void expectBlobs(Workspace& w) {
        QByteArray b;
        b = qvtest::valueOf(w.readBlob(kPictureTable, 1));
        EXPECT_EQ(b, model.pictures[1]);
        b = qvtest::valueOf(w.readBlob(kStringTable, 3));
        EXPECT_EQ(b, model.strings[3]);
        const int mels = int(w.image().count(kMelodyTable));
        b = qvtest::valueOf(w.readBlob(kMelodyTable, mels - 1));
        EXPECT_EQ(b, model.melodies[2]);
    }

    ScratchDir dir;
    SmallServiceFile model;
    Workspace ws;
    QString sav, mem;
    QByteArray oldSav, oldMem;
};

const RewriteStep kSteps[] = {RewriteStep::CreateFiles, RewriteStep::WriteItems, RewriteStep::WriteTables,
                              RewriteStep::Flush,       RewriteStep::Marker,     RewriteStep::SwapData,
                              RewriteStep::SwapTable,   RewriteStep::Finish};

TEST_F(SaveSwapTest, FailureAtEachStepKeepsOnePairAndTheWorkspaceConsistent) {
    for (RewriteStep step : kSteps) {
        SCOPED_TRACE(int(step));
        SetUp();
        ws.setRewriteFaultHook([step](RewriteStep at) { return at == step ? FaultKind::Fail : FaultKind::None; });
        const Result s = ws.save();
                if (step == RewriteStep::Finish) {
            EXPECT_TRUE(s.ok());  // nothing to fail there
        } else {
            // Only a failure after the new data file went in leaves the save to the next open.
            EXPECT_FALSE(s.ok());
            EXPECT_EQ(s == ResultCode::Unfinished, step == RewriteStep::SwapTable);
            EXPECT_FALSE(s.message().isEmpty());
        }
        expectBlobs(ws);  // the open workspace still reads the right bytes
        const int mels = checkPairOnDisk();
        if (step <= RewriteStep::SwapData) {
            EXPECT_EQ(mels, 3);
            EXPECT_EQ(readAll(sav), oldSav);
            EXPECT_EQ(readAll(mem), oldMem);
        } else {
            EXPECT_EQ(mels, 2);  // the data file was replaced, so the new pair is completed
        }
    }
}

TEST_F(SaveSwapTest, CrashAtEachStepIsRepairedByTheNextOpen) {
    for (RewriteStep step : {RewriteStep::Marker, RewriteStep::SwapData, RewriteStep::SwapTable, RewriteStep::Finish}) {
        SCOPED_TRACE(int(step));
        SetUp();
        ws.setRewriteFaultHook([step](RewriteStep at) { return at == step ? FaultKind::Crash : FaultKind::None; });
        (void)ws.save();
                const int mels = checkPairOnDisk();
        // Once the marker is on disk the new pair is complete and the next open finishes the swap.
        EXPECT_EQ(mels, step == RewriteStep::Marker ? 3 : 2);
    }
}

TEST_F(SaveSwapTest, UnwritableFolderAndBlockedNamesFailCleanly) {
    // A folder where ".me2" cannot be created (a directory stands in its place).
    ASSERT_TRUE(QDir().mkdir(dir.path("m.me2")));
    Result s = ws.save();
    EXPECT_EQ(s.code(), ResultCode::DiskError);
    EXPECT_TRUE(s.message().contains("m.me2"));
    EXPECT_EQ(readAll(sav), oldSav);
    EXPECT_EQ(readAll(mem), oldMem);
    expectBlobs(ws);
    ASSERT_TRUE(QDir().rmdir(dir.path("m.me2")));

    if (const char* why = folderModesIgnored()) GTEST_SKIP() << why;
    const auto writable = QFile::permissions(dir.path());
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    s = ws.save();
    QFile::setPermissions(dir.path(), writable);
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(readAll(sav), oldSav);
    EXPECT_EQ(readAll(mem), oldMem);
    expectBlobs(ws);
}

TEST_F(SaveSwapTest, AMarkerSwapsInOnlyFilesThatMakeAServiceFileTogether) {
    struct Case {
        const char* what;
        std::optional<QByteArray> sa2, me2;  // nullopt: not there (the data file's swap was done)
        bool pipeAsTable;
        bool completes;
    };
    // The new pair a save leaves when it stops right after writing its marker.
    ws.setRewriteFaultHook([](RewriteStep at) { return at == RewriteStep::SwapData ? FaultKind::Crash : FaultKind::None; });
    (void)ws.save();
#ifdef _WIN32
    ws.close();  // as a crashed process would: Windows replaces no file another holds open
#endif
    const QByteArray newSav = readAll(dir.path("m.sa2")), newMem = readAll(dir.path("m.me2"));
    ASSERT_FALSE(newSav.isEmpty());
    const Case cases[] = {
        {"a 100-byte table file", QByteArray(100, 'T'), newMem, false, false},
        {"a garbage data file", newSav, QByteArray(5000, 'G'), false, false},
        {"another model's larger data file", newSav, newMem + QByteArray(4096, 'F'), false, false},
        {"a bad table after the data file's swap", QByteArray(300, 'T'), std::nullopt, false, false},
        {"a named pipe as the table file", std::nullopt, newMem, true, false},
        {"the whole new pair", newSav, newMem, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeAll(dir.path("m.sw2"), "sa2 me2\n");
        if (c.sa2) writeAll(dir.path("m.sa2"), *c.sa2);
        if (c.me2) writeAll(dir.path("m.me2"), *c.me2);
        if (c.pipeAsTable) {
#ifdef _WIN32
            continue;  // Windows has no named pipes in a folder
#else
            ASSERT_EQ(::mkfifo(QFile::encodeName(dir.path("m.sa2")).constData(), 0644), 0);
#endif
        }
        Workspace w;
        const Result s = w.open(sav);
        EXPECT_EQ(s.ok(), c.completes) << s.message().toStdString();
        EXPECT_EQ(readAll(sav), c.completes ? newSav : oldSav);
        EXPECT_EQ(readAll(mem), c.completes ? newMem : oldMem);
        EXPECT_EQ(QFile::exists(dir.path("m.sw2")), !c.completes);
        if (!c.completes) {
            EXPECT_EQ(s.code(), ResultCode::Damaged);
            EXPECT_TRUE(s.message().contains("Can not complete the last save of m.sav")) << s.message().toStdString();
            EXPECT_TRUE(s.message().contains("Nothing was replaced")) << s.message().toStdString();
        }
        for (const char* leftover : {"m.sw2", "m.sa2", "m.me2"}) QFile::remove(dir.path(leftover));
    }
}

TEST_F(SaveSwapTest, LeftoversOfAnUnfinishedRewriteAreDroppedAtOpen) {
    writeAll(dir.path("m.sa2"), "half");
    writeAll(dir.path("m.me2"), "half");
    EXPECT_EQ(checkPairOnDisk(), 3);
}

}  // namespace
