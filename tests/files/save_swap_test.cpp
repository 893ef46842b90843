// A save that fails or crashes at any step leaves the old pair or the new pair, never a mix,
// and the workspace addresses the data file that is really open.
#include "files/small_service_file.h"
#include "files/workspace.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

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
        ASSERT_TRUE(w.readBlob(kPictureTable, 1, b).ok());
        EXPECT_EQ(b, model.pictures[1]);
        ASSERT_TRUE(w.readBlob(kStringTable, 3, b).ok());
        EXPECT_EQ(b, model.strings[3]);
        const int mels = int(w.image().count(kMelodyTable));
        ASSERT_TRUE(w.readBlob(kMelodyTable, mels - 1, b).ok());
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
            EXPECT_FALSE(s.ok());
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
    EXPECT_FALSE(s.ok());
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

TEST_F(SaveSwapTest, LeftoversOfAnUnfinishedRewriteAreDroppedAtOpen) {
    writeAll(dir.path("m.sa2"), "half");
    writeAll(dir.path("m.me2"), "half");
    EXPECT_EQ(checkPairOnDisk(), 3);
}

}  // namespace
