// Cancel pressed at every stage of a transfer: greeting the boot code, sending the loader,
// waiting for the loader to confirm, switching the speed, reading, writing and reading back what
// was written. Every stage must end the task as aborted, with nothing half-done left behind: the
// service files as they were, the phone's flash as it was and the row still ticked (or, when
// Cancel came after the write, the whole row in the flash and unticked) and the port closed.
#include "e2e/e2e_support.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <chrono>
#include <thread>

using namespace qv;
using namespace qvtest;
using namespace e2e;

namespace {

struct Stage {
    const char* name;
    qv::WorkerTask task;
    uint32_t baud;
    QStringList phone;  // emulator options that hold the conversation at this stage
    // Either the worker is held at the first bar update that matches, or the test waits for the
    // phone's log line (or the bar text) and a moment more.
    RecordingSink::GateCondition gate;
    QByteArray phoneSays;
    QString barShows;
    bool written = false;  // the phone holds the edited row when Cancel comes
};

bool midItem(const QString& text, const char* label, int position) {
    return text.startsWith(QLatin1String(label)) && position > 0 && position < 100;
}

const Stage kStages[] = {
    // The boot code never starts: the greeting goes on until Cancel.
    {"greeting", WorkerTask::ReadFile, 115200, {"--boot-delay", "600000"}, {}, {}, "Waiting for phone's response..."},
    {"upload", WorkerTask::ReadFile, 115200, {}, [](const QString&, int max, int pos) { return max == 7 && pos == 3; }, {}, {}},
    // The loader never announces itself.
    {"confirmation", WorkerTask::ReadFile, 115200, {"--start-delay", "600000"}, {}, "loader image received", {}},
    // The loader takes the speed switch and never acknowledges it.
    {"speed switch", WorkerTask::ReadFile, 115200, {"--silent-after", "1"}, {}, "silent from now on", {}},
    {"read", WorkerTask::ReadFile, 115200, {}, [](const QString& t, int, int pos) { return midItem(t, "Reading pictures", pos); }, {}, {}},
    {"write", WorkerTask::WriteItems, 28800, {}, [](const QString& t, int, int pos) { return midItem(t, "Writing pictures", pos); }, {}, {}},
    {"read-back", WorkerTask::WriteItems, 115200, {}, [](const QString& t, int, int) { return t.startsWith("Checking what was written -"); },
     {}, {}, true},
};

// Picture row 1 takes one write segment of two pieces, so Cancel after the first piece leaves
// the segment unfinished.
constexpr int kEditedRow = 1;

TEST(Cancel, AtEveryStageEndsAbortedWithNothingHalfDone) {
    for (const Stage& stage : kStages) {
        SCOPED_TRACE(stage.name);
        EditedRows files;
        const bool writes = stage.task == WorkerTask::WriteItems;
        std::vector<std::pair<int, int>> edits;
        if (writes) edits.push_back({kPictureTable, kEditedRow});
        ASSERT_TRUE(files.edit(edits));
        const ScratchDir& dir = files.dir;
        Workspace& ws = files.ws;
        const QByteArray sav = readAll(files.table), mem = readAll(dir.path("edit.mem"));

        PhoneEmulator phone(dir, files.dumps);
        ASSERT_TRUE(phone.start(stage.phone));
        LinkSession session;
        if (stage.gate) session.bar.armGate(stage.gate);
        if (writes)
            session.startWrite(ws, {}, phone.device(), stage.baud);
        else
            session.startRead(ws, phone.device(), stage.baud);

        if (stage.gate) {
            ASSERT_TRUE(session.bar.waitForGate(10000)) << session.bar.texts().join('\n').toStdString();
            session.cancel();
            session.bar.releaseGate();
        } else {
            if (!stage.phoneSays.isEmpty()) {
                ASSERT_TRUE(phone.waitForLog(stage.phoneSays)) << phone.log().toStdString();
            }
            if (!stage.barShows.isEmpty()) {
                ASSERT_TRUE(session.bar.waitForText(stage.barShows, 10000));
            }
            // Let the host settle into the stage's wait before the user presses Cancel.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            session.cancel();
        }
        const auto r = session.waitForEnd(10000);
        ASSERT_TRUE(r.has_value()) << "Cancel was not noticed";
        EXPECT_EQ(*r, ResultCode::Aborted);
        EXPECT_EQ(session.bar.lastText(), "Operation aborted.");
        EXPECT_TRUE(session.bar.errors().isEmpty()) << session.bar.errors().join('\n').toStdString();
        EXPECT_FALSE(session.portOpenAtEnd());

        EXPECT_TRUE(readAll(files.table) == sav);
        EXPECT_TRUE(readAll(dir.path("edit.mem")) == mem);
        EXPECT_FALSE(QFile::exists(dir.path("edit.sa2")) || QFile::exists(dir.path("edit.me2")));
        if (writes) {
            EXPECT_EQ(ws.ticks(ListKind::Pictures)[kEditedRow], !stage.written);
        }

        EXPECT_EQ(phone.stop(), 0);
        const auto now = files.dumpsNow();
        const auto& expected = stage.written ? files.after : files.before;
        for (size_t d : {0u, 1u}) EXPECT_TRUE(now[d] == expected[d]) << "dump " << d + 1 << ": " << firstDifference(now[d], expected[d]);
        if (QLatin1String(stage.name) == QLatin1String("greeting")) {
            // The host kept calling the switched-off phone, which never answered.
            const auto heard = QRegularExpression("off +received (\\d+)").match(QString::fromLatin1(phone.log()));
            ASSERT_TRUE(heard.hasMatch()) << phone.log().toStdString();
            EXPECT_GT(heard.captured(1).toInt(), 0);
            EXPECT_EQ(phone.count("greeting answered"), 0);
        }
    }
}

// The window keeps one worker and one link for its whole life: a cancelled task must leave
// nothing behind that spoils the next one. That one reads through a USB adapter with its latency,
// in grouped blocks, and still gives the dump import's data file and counts every item.
TEST(Cancel, TheNextTaskRunsNormallyOnTheSameLinkAndReadsInGroups) {
    ScratchDir dir;
    const QString table = dir.path("next.sav");
    copyFile(demo().tableFile, table);
    Workspace ws;
    ASSERT_TRUE(ws.open(table).ok());
    LinkSession session;

    ScratchDir firstDir, secondDir;
    PhoneEmulator stuck(firstDir, copyDumps(firstDir));
    ASSERT_TRUE(stuck.start({"--boot-delay", "600000"}));
    session.startRead(ws, stuck.device(), 115200);
    ASSERT_TRUE(stuck.waitForLog("end key"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    session.cancel();
    ASSERT_EQ(session.waitForEnd(10000), std::optional<ResultCode>(ResultCode::Aborted));

    PhoneEmulator phone(secondDir, copyDumps(secondDir));
    ASSERT_TRUE(phone.start({"--usb-latency-ms", "16"}));
    const auto r = session.read(ws, phone.device(), 115200);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, ResultCode::Ok);
    EXPECT_EQ(session.bar.lastText(), "Operation completed.");
    EXPECT_TRUE(session.bar.errors().isEmpty()) << session.bar.errors().join('\n').toStdString();
    EXPECT_FALSE(session.portOpenAtEnd());
    QString builtMem = demo().builtTable;
    builtMem.chop(4);
    const QByteArray mem = readAll(dir.path("next.mem"));
    EXPECT_TRUE(mem == readAll(builtMem + ".mem")) << firstDifference(mem, readAll(builtMem + ".mem"));

    // Far fewer Read blocks than items (one more for the version block).
    const int items = demo().pictures + demo().melodies + demo().operators + demo().strings;
    EXPECT_GE(phone.count("read "), 5);
    EXPECT_LT(phone.count("read "), items / 4) << phone.log().toStdString();
    // The text still counts items, each once and in order.
    const std::pair<QString, int> tables[] = {{"Reading pictures -", demo().pictures}, {"Reading melodies -", demo().melodies},
                                              {"Reading operators list -", demo().operators}, {"Reading strings -", demo().strings}};
    for (const auto& [label, count] : tables) {
        QStringList expected;
        for (int k = 1; k <= count; ++k) expected << QStringLiteral("%1 %2 of %3").arg(label).arg(k).arg(count);
        const QRegularExpression shown("^" + QRegularExpression::escape(label));
        EXPECT_EQ(session.bar.texts().filter(shown), expected) << label.toStdString();
    }
    EXPECT_EQ(phone.stop(), 0);
}

}  // namespace
