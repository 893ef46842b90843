// Folders and files that are not what they seem: exports never leave the folder or land on the
// service file's own files, folder imports never block on what is not a file, and an import
// whose file names cannot be remembered stores nothing.
#ifndef _WIN32  // named pipes, symbolic links and file modes are POSIX file kinds
#include "editors/bulk_operations.h"
#include "editors/demo_workspace.h"
#include "editors/edit_operations.h"
#include "files/mru_file.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace qv;
using namespace qvtest;

namespace {

using HostileFiles = DemoWorkspaceTest;

bool makeFifo(const QString& path) { return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0; }

TEST_F(HostileFiles, ExportsStayInTheFolderAndOffThePair) {
    const QString folder = dir.path("pics"), outside = dir.path("theirs.png");
    ASSERT_TRUE(QDir().mkdir(folder));
    writeAll(outside, "someone else's file");
    ASSERT_TRUE(QFile::link(outside, QDir(folder).filePath(pictureFileName(ws, 0, PictureFileType::Png))));
    BulkResult r = exportPictures(ws, folder, PictureFileType::Png);
    ASSERT_FALSE(r.status.ok());
    EXPECT_TRUE(r.status.message().contains("symbolic link")) << r.status.message().toStdString();
    EXPECT_EQ(readAll(outside), "someone else's file");

    // Every name of the open service file, however it is spelled, is refused for every export.
    const ServiceFileNames n = ws.names();
    const QString other = QFileInfo(n.sav).absolutePath() + "/../model/";
    for (const QString& target : {n.mem, n.sav, other + QFileInfo(n.mru).fileName(), other + QFileInfo(n.swapMarker).fileName(),
                                  n.sa2, n.lock}) {
        SCOPED_TRACE(target.toStdString());
        for (const Result& s : {exportStrings(ws, target).status, exportMelody(ws, 0, target), exportPicture24(ws, 0, target)}) {
            ASSERT_FALSE(s.ok());
            EXPECT_TRUE(s.message().contains("open service file demo.sav")) << s.message().toStdString();
        }
    }
    EXPECT_TRUE(pairUnchanged());
    EXPECT_FALSE(QFile::exists(n.swapMarker));
    Workspace reopened;
    EXPECT_TRUE(reopened.open(model.tableFile).ok());
}

TEST_F(HostileFiles, FolderImportsListWhatIsNotAFileAndNeverBlock) {
    const QString folder = dir.path("mel");
    const BulkResult exported = exportMelodies(ws, folder);
    ASSERT_TRUE(exported.status.ok());
    ASSERT_GE(exported.files.size(), 7u);
    writeAll(exported.files[3], QByteArray(3000, '\x42'));  // one real change
    // Names that name melody rows but stand for no file to read.
    ASSERT_TRUE(QFile::remove(exported.files[1]) && makeFifo(exported.files[1]));
    ASSERT_TRUE(makeFifo(dir.path("pipe")));
    ASSERT_TRUE(QFile::remove(exported.files[2]) && QFile::link(dir.path("pipe"), exported.files[2]));
    ASSERT_TRUE(QFile::remove(exported.files[4]) && QFile::link(dir.path("missing"), exported.files[4]));
    ASSERT_TRUE(QFile::remove(exported.files[5]) && QDir().mkdir(exported.files[5]));
    writeAll(exported.files[6], QByteArray());

    BulkResult r = importMelodies(ws, folder, BulkMode::AllOrNothing);
    std::map<int, QString> why;
    for (const BulkProblem& p : r.problems) why[p.row] = p.reason;
    EXPECT_TRUE(why[1].contains("named pipe")) << why[1].toStdString();
    EXPECT_TRUE(why[2].contains("symbolic link to a named pipe")) << why[2].toStdString();
    EXPECT_TRUE(why[4].contains("symbolic link to a missing file")) << why[4].toStdString();
    EXPECT_TRUE(why[5].contains("folder")) << why[5].toStdString();
    EXPECT_TRUE(why[6].contains("empty")) << why[6].toStdString();
    EXPECT_EQ(why.size(), 5u);
    EXPECT_TRUE(pairUnchanged());

    r = importMelodies(ws, folder, BulkMode::SkipInvalid);
    EXPECT_EQ(r.rows, std::vector<int>{3});
    EXPECT_EQ(QFileInfo(exported.files[1]).exists(), true);  // left as they were
}

TEST_F(HostileFiles, MelodiesWhoseFilesCannotBeRememberedAreNotStored) {
    writeAll(dir.path("tune.mmf"), QByteArray(3000, '\x42'));
    const QString mru = ws.names().mru;
    ASSERT_TRUE(QDir().mkdir(mru));  // a folder where the names are kept
    const QByteArray before = blob(kMelodyTable, 3);

    const auto single = importMelody(ws, 3, dir.path("tune.mmf"));
    ASSERT_FALSE(single);
    EXPECT_TRUE(single.error().message().contains("nothing was imported")) << single.error().message().toStdString();

    const QString folder = dir.path("mel");
    ASSERT_TRUE(QDir().mkdir(folder));
    QFile::copy(dir.path("tune.mmf"), folder + "/00003_tune.mmf");
    const BulkResult bulk = importMelodies(ws, folder, BulkMode::AllOrNothing);
    ASSERT_FALSE(bulk.status.ok());
    EXPECT_TRUE(bulk.status.message().contains("nothing was imported")) << bulk.status.message().toStdString();
    EXPECT_EQ(blob(kMelodyTable, 3), before);
    EXPECT_TRUE(pairUnchanged());

    // A read-only file of names holds for the administrator too.
    ASSERT_TRUE(QDir().rmdir(mru));
    writeAll(mru, "[MRU]\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(mru).constData(), 0444), 0);
    EXPECT_FALSE(importMelodies(ws, folder, BulkMode::AllOrNothing).status.ok());
    EXPECT_TRUE(pairUnchanged());

    // An empty file is refused, not taken for silence.
    writeAll(dir.path("empty.mmf"), QByteArray());
    const auto empty = importMelody(ws, 3, dir.path("empty.mmf"));
    ASSERT_FALSE(empty);
    EXPECT_EQ(empty.error().code(), ResultCode::Refused);
    EXPECT_TRUE(empty.error().message().contains("empty")) << empty.error().message().toStdString();
    EXPECT_EQ(blob(kMelodyTable, 3), before);
}

}  // namespace
#endif
