// quorvanta-cli when the world is hostile: a full disk, kill -9 in the middle of an edit, a
// second process on the same pair. Afterwards the pair is the
// old one or the new one, never a mix, and every failure says so.
#include "demo_model/demo_model.h"
#include "cli/program_run.h"
#include "support/test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>
#include <cstdio>
#ifdef __linux__
#include <sys/mount.h>
#include <unistd.h>
#endif

using namespace qv;
using namespace qvtest;

namespace {

struct Pair {
    QByteArray sav, mem;
    bool operator==(const Pair& o) const { return sav == o.sav && mem == o.mem; }
};

Pair pairAt(const QString& sav) {
    return {readAll(sav), readAll(QString(sav).replace(".sav", ".mem"))};
}

void copyPair(const QString& fromSav, const QString& toSav) {
    for (const char* ext : {".sav", ".mem"}) {
        QString from = fromSav, to = toSav;
        from.replace(".sav", ext), to.replace(".sav", ext);
        QFile::remove(to);
        ASSERT_TRUE(QFile::copy(from, to)) << from.toStdString();
    }
}

// A demo model with its data file built, made once for the whole program.
class CliFaults : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new ScratchDir;
        const auto model = makeDemoModel(dir->path(), {5, true, "full"});
        ASSERT_TRUE(model) << model.error().message().toStdString();
        sav = new QString(model->tableFile);
        const ProgramRun built = cli({"build-from-dumps", model->tableFile, model->dump1, model->dump2});
        ASSERT_EQ(built.code, 0) << built.err.toStdString();
    }
    static void TearDownTestSuite() {
        delete sav;
        delete dir;
    }
    static inline ScratchDir* dir = nullptr;
    static inline QString* sav = nullptr;
};

// A tmpfs of `kilobytes` mounted for one test; only root may mount, so others skip.
class SmallDisk {
public:
    SmallDisk(const QString& at, int kilobytes) : path_(at) {
        QDir().mkpath(at);
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
#ifdef __linux__
        mounted_ = ::geteuid() == 0 && ::mount("tmpfs", QFile::encodeName(at).constData(), "tmpfs", 0, options.constData()) == 0;
#endif
    }
    ~SmallDisk() {
#ifdef __linux__
        if (mounted_) ::umount2(QFile::encodeName(path_).constData(), MNT_DETACH);
#endif
    }
    bool mounted() const { return mounted_; }
    // Fills what is left, so that the next write finds no room.
    void fill() {
        QFile f(path_ + "/filler");
        f.open(QIODevice::WriteOnly);
        const QByteArray block(4096, 'F');
        while (f.write(block) == block.size() && f.flush()) {
        }
        f.close();
    }
    QStringList files() const { return QDir(path_).entryList(QDir::Files | QDir::Hidden); }

private:
    QString path_;
    bool mounted_ = false;
};

TEST_F(CliFaults, WritingToAFullDiskFailsWithTheSystemsReasonAndLeavesNoFile) {
    SmallDisk disk(dir->path("full-disk"), 256);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs Linux and root";
    disk.fill();
    const QString out = dir->path("full-disk/out");
    const QString raw = dir->path("raw.bin");
    writeAll(raw, QByteArray(2 * 16 * 16, '\x11'));
    const QString bmp = dir->path("in.bmp");
    ASSERT_EQ(cli({"decode-picture", "--width", "16", "--height", "16", "--format", "5", "--variant", "0",
                   "--phone-type", "5", raw, bmp}).code, 0);
    const QList<QStringList> commands = {
        {"export-melody", *sav, "0", out},
        {"thumbnail", *sav, "1", out},
        {"export-picture", *sav, "0", out},
        {"export-picture", *sav, "2", out},
        {"export-pictures", *sav, out + "-pictures"},
        {"export-melodies", *sav, out + "-melodies"},
        {"encode-picture", "--width", "16", "--height", "16", "--format", "5", "--variant", "0", "--phone-type", "5",
         "--size", "768", bmp, out},
    };
    for (const QStringList& args : commands) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const ProgramRun r = cli(args);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains("No space left on device")) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains("Unknown error"));
        EXPECT_EQ(disk.files(), QStringList{"filler"});
    }
}

TEST_F(CliFaults, AnEditOnAFullDiskKeepsTheOldPair) {
    // Room for the pair and a little more, not for a second pair.
    const qint64 pairBytes = QFileInfo(*sav).size() + QFileInfo(QString(*sav).replace(".sav", ".mem")).size();
    SmallDisk disk(dir->path("tight-disk"), int(pairBytes / 1024) + 512);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs Linux and root";
    const QString there = dir->path("tight-disk/full.sav");
    copyPair(*sav, there);
    const Pair before = pairAt(there);
    for (const QStringList& args : QList<QStringList>{{"set-string", there, "3", "Abc", "--page", "2"},
                                                      {"save", there},
                                                      {"delete", "strings", there, "4"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const ProgramRun r = cli(args);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains("No space left on device")) << r.err.toStdString();
        EXPECT_TRUE(pairAt(there) == before);
        EXPECT_EQ(disk.files().size(), 2) << disk.files().join(' ').toStdString();
    }
}

TEST_F(CliFaults, KillDuringAnEditLeavesTheOldOrTheNewPair) {
    const QString work = dir->path("killed.sav");
    const QStringList edit = {"set-string", work, "7", "Kil", "--page", "1"};
    copyPair(*sav, work);
    const Pair oldPair = pairAt(work);
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(cli(edit).code, 0);
    const qint64 editMs = std::max<qint64>(clock.elapsed(), 50);
    const Pair newPair = pairAt(work);
    ASSERT_FALSE(newPair == oldPair);

    int sawOld = 0, sawNew = 0;
    const int runs = qEnvironmentVariableIntValue("QV_KILL_RUNS") > 0 ? qEnvironmentVariableIntValue("QV_KILL_RUNS") : 50;
    for (int run = 0; run < runs; ++run) {
        copyPair(*sav, work);
        QProcess p;
        p.start(QStringLiteral(QV_BIN_DIR "/quorvanta-cli"), edit);
        ASSERT_TRUE(p.waitForStarted());
        QThread::msleep(QRandomGenerator::global()->bounded(quint32(editMs * 1.2) + 1));
        p.kill();  // SIGKILL; TerminateProcess on Windows
        p.waitForFinished();
        // The next open completes or drops what the killed process left.
        const ProgramRun shown = cli({"show", work});
        ASSERT_EQ(shown.code, 0) << "run " << run << ": " << shown.err.toStdString();
        const Pair now = pairAt(work);
        ASSERT_TRUE(now == oldPair || now == newPair) << "run " << run << " left a mix";
        (now == oldPair ? sawOld : sawNew)++;
        const QStringList leftovers = QDir(dir->path()).entryList({"killed.*"}, QDir::Files);
        EXPECT_EQ(leftovers.size(), 2) << leftovers.join(' ').toStdString();
    }
    std::printf("kill -9 during set-string: %d runs left the old pair, %d the new\n", sawOld, sawNew);
}

TEST_F(CliFaults, AReaderDuringAnotherProcessSaveNeverBreaksIt) {
    const QString work = dir->path("shared.sav");
    copyPair(*sav, work);
    for (int run = 0; run < 10; ++run) {
        QProcess saver;
        saver.start(QStringLiteral(QV_BIN_DIR "/quorvanta-cli"), {"save", work});
        ASSERT_TRUE(saver.waitForStarted());
        for (int k = 0; k < 3; ++k) {
            const ProgramRun shown = cli({"show", work});
            EXPECT_EQ(shown.code, 0) << shown.err.toStdString();
        }
        saver.waitForFinished(120000);
        EXPECT_EQ(saver.exitCode(), 0) << "run " << run << ": " << saver.readAllStandardError().toStdString();
    }
}

TEST_F(CliFaults, OutputsNeverReplaceThePairNorLeaveAnImportHalfDone) {
    const QString work = dir->path("own.sav"), mru = dir->path("own.mru"), songs = dir->path("songs");
    copyPair(*sav, work);
    QDir().mkpath(songs);
    writeAll(songs + "/00001_new.mmf", QByteArray(100, 'N'));
    ASSERT_TRUE(QDir().mkdir(mru));  // where the imported files' names would be kept
    const Pair before = pairAt(work);
    const QList<std::pair<QStringList, const char*>> cases = {
        {{"export-strings", work, dir->path("own.mem")}, "open service file own.sav"},
        {{"export-melody", work, "0", dir->path("./own.sav")}, "open service file own.sav"},
        {{"import-melodies", work, songs}, "nothing was imported"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const ProgramRun r = cli(args);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains(message)) << r.err.toStdString();
        EXPECT_TRUE(pairAt(work) == before);
    }
    EXPECT_EQ(cli({"show", work}).code, 0);
}

// What the phone could not show as typed, or a melody too long for its slot, is refused with
// the reason, and the pair and the names of imported files stay.
TEST_F(CliFaults, ATextOrMelodyThePhoneCannotHoldIsRefusedAndChangesNothing) {
    const QString work = dir->path("texts.sav"), mru = dir->path("texts.mru"), huge = dir->path("huge.mmf");
    copyPair(*sav, work);
    writeAll(mru, "[MRU]\r\nName1=kept.mmf\r\n");
    writeAll(huge, QByteArray(1 << 20, 'M'));
    const Pair before = pairAt(work);
    const struct {
        QStringList args;
        const char* reason;
    } cases[] = {
        {{"set-string", work, "2", QString::fromUtf8("a\u20ACb")}, "the phone's font has no character \"\u20AC\" (U+20AC) in page 2"},
        {{"set-string", work, "2", QString::fromUtf8("a\u4E2D")}, "The text holds a character the phone cannot show: \u4E2D"},
        {{"set-operator", work, "0", "--name1", QString::fromUtf8("\u4E2D")}, "The name holds a character the phone cannot show: \u4E2D"},
        {{"set-operator", work, "0", "--name1", "Eleven char"}, "Operator name #1 holds at most 10 characters"},
        {{"import-melody", work, "1", huge}, "The file size should be less or is equal"},
    };
    for (const auto& c : cases) {
        const ProgramRun r = cli(c.args);
        EXPECT_EQ(r.code, 1) << c.reason;
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(QString::fromUtf8(c.reason))) << r.err.toStdString();
        EXPECT_TRUE(pairAt(work) == before) << c.reason;
        EXPECT_EQ(readAll(mru), QByteArray("[MRU]\r\nName1=kept.mmf\r\n")) << c.reason;
    }
}

}  // namespace
