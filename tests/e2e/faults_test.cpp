// A phone that misbehaves: refused write segments, silence, lost bytes, line noise and a
// firmware that does not answer AT commands. Each task must end in a known state: the right
// message, the files and tick marks as the user can rely on, and the port closed.
#include "e2e/e2e_support.h"
#include "editors/item_views.h"
#include "files/workspace.h"
#include "base/result.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;
using namespace e2e;

namespace {

TEST(WriteFaults, ARefusedSegmentIsSentAgainAndTheItemLandsWhole) {
    int refused = 1;  // the second row's first segment: after those of the first row, as the phone counts them
    {
        EditedRows files;
        ASSERT_TRUE(files.edit({{kPictureTable, 0}}));
        PhoneEmulator phone(files.dir, files.dumps);
        ASSERT_TRUE(phone.start());
        LinkSession session;
        ASSERT_EQ(session.write(files.ws, {}, phone.device(), 28800), ResultCode::Ok);
        EXPECT_EQ(phone.stop(), 0);
        refused += phone.count("write ");
    }

    struct Case {
        int refusals;
        ResultCode result;
        std::vector<bool> stillTicked;  // rows 0, 2, 5
    };
    for (const Case& c : {Case{1, ResultCode::Ok, {false, false, false}}, Case{3, ResultCode::InvalidResponse, {false, true, true}}}) {
        SCOPED_TRACE(testing::Message() << c.refusals << " refusals");
        EditedRows run;
        const int rows[] = {0, 2, 5};
        ASSERT_TRUE(run.edit({{kPictureTable, 0}, {kPictureTable, 2}, {kPictureTable, 5}}));
        PhoneEmulator phone(run.dir, run.dumps);
        ASSERT_TRUE(phone.start({"--refuse-segment", QString::number(refused), "--refuse-times", QString::number(c.refusals)}));
        LinkSession session;
        const auto r = session.write(run.ws, {}, phone.device(), 28800);
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(*r, c.result);
        EXPECT_FALSE(session.portOpenAtEnd());
        EXPECT_EQ(phone.count("refused as told"), c.refusals);
        for (size_t i = 0; i < std::size(rows); ++i)
            EXPECT_EQ(run.ws.ticks(ListKind::Pictures)[size_t(rows[i])], c.stillTicked[i]) << "row " << rows[i];
        if (c.result == ResultCode::Ok) {
            EXPECT_TRUE(session.bar.errors().isEmpty());
        } else {
            EXPECT_EQ(session.bar.errors(), QStringList{"Invalid response from target"});
            EXPECT_EQ(phone.count("end of write"), 0);
        }
        EXPECT_EQ(phone.stop(), 0);  // the phone keeps what it programmed
        const auto now = run.dumpsNow();
        for (size_t i = 0; i < std::size(rows); ++i)
            EXPECT_TRUE(run.pictureIs(now, rows[i], c.stillTicked[i] ? run.before : run.after)) << "row " << rows[i];
    }
}

TEST(WriteFaults, LineNoiseBeforeEveryAcknowledgementIsSkipped) {
    EditedRows files;
    ASSERT_TRUE(files.edit({{kPictureTable, 1}, {kPictureTable, 3}}));
    PhoneEmulator phone(files.dir, files.dumps);
    ASSERT_TRUE(phone.start({"--garbage-before-ack", "3"}));
    LinkSession session;

    // At 115,200 baud the speed switch's acknowledgement comes behind noise too.
    const auto r = session.write(files.ws, files.dir.path("backup.flp"), phone.device(), 115200);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, ResultCode::Ok) << session.bar.errors().join('\n').toStdString();
    EXPECT_EQ(session.bar.lastText(), "Operation completed.");
    ASSERT_TRUE(phone.waitForLog("finish: back to the firmware"));
    EXPECT_EQ(phone.stop(), 0);
    EXPECT_TRUE(files.dumpsNow() == files.after);
}

// The read stops; the service file the user had stays as it was and no temporary file is left.
TEST(ReadFaults, APhoneThatFallsSilentOrLosesAByteEndsTheReadAfterTheAnswerWait) {
    struct Case {
        const char* name;
        QStringList faults;
        bool showProgress;
        uint32_t baud;
        QByteArray phoneSays;
    };
    const Case cases[] = {
        // S and its code, the version block (9 + 1), two pictures (9 + 1 each), then part of a command.
        {"silent", {"--silent-after", "36"}, true, 115200, "silent from now on"},
        // Without the version line the first read is the first picture's.
        {"lost byte", {"--drop-read-byte", "100"}, false, 28800, "data byte 100 of this reply is lost"},
    };
    struct Run {
        ScratchDir dir;
        Dumps dumps = copyDumps(dir);
        QString table = copyBuiltPair(dir, "old");
        QByteArray sav = readAll(table);
        QByteArray mem = readAll(dir.path("old.mem"));
        Workspace ws;
        std::unique_ptr<PhoneEmulator> phone;
        std::unique_ptr<LinkSession> session;
        QElapsedTimer clock;
    };
    // Both wait out the same 7 s, side by side.
    std::array<Run, std::size(cases)> runs;
    for (size_t i = 0; i < runs.size(); ++i) {
        Run& run = runs[i];
        ASSERT_TRUE(run.ws.open(run.table).ok());
        run.phone = std::make_unique<PhoneEmulator>(run.dir, run.dumps);
        ASSERT_TRUE(run.phone->start(cases[i].faults));
        run.session = std::make_unique<LinkSession>(cases[i].showProgress);
        LinkSession& s = *run.session;
        run.clock.start();
        s.startRead(run.ws, run.phone->device(), cases[i].baud);
    }
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        Run& run = runs[i];
        const auto r = run.session->waitForEnd(20000);
        const qint64 took = run.clock.elapsed();
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(resultMessage(*r), "No response from target");
        EXPECT_GE(took, 7000);
        EXPECT_LT(took, 7000 + 3000);
        EXPECT_FALSE(run.session->portOpenAtEnd());
        EXPECT_EQ(run.phone->count(cases[i].phoneSays), 1);
        if (cases[i].showProgress) {
            EXPECT_EQ(run.session->bar.errors(), QStringList{"No response from target"});
        }
        EXPECT_TRUE(readAll(run.table) == run.sav);
        EXPECT_TRUE(readAll(run.dir.path("old.mem")) == run.mem);
        EXPECT_FALSE(QFile::exists(run.dir.path("old.sa2")));
        EXPECT_FALSE(QFile::exists(run.dir.path("old.me2")));
    }
}

TEST(InfoFaults, APhoneThatIsDeafSaysErrorOrIsMissingGivesNotAvailable) {
    struct Case {
        const char* fault;  // nullptr: no phone on the port at all
        const char* says;
        int atLeastMs, atMostMs;
        ScratchDir dir;
        std::unique_ptr<PhoneEmulator> phone;
        QProcess cli;
        QElapsedTimer clock;
    };
    const char* deaf = "Can not receive a response from the phone";
    // The firmware cases wait out the 3 s answer time, side by side.
    std::array<Case, 3> cases;
    // Waited for in this order, so each one's time is its own.
    cases[0].fault = nullptr, cases[0].says = "Can not open COM port", cases[0].atLeastMs = 0, cases[0].atMostMs = 2000;
    cases[1].fault = "--at-silent", cases[1].says = deaf, cases[1].atLeastMs = 3000, cases[1].atMostMs = 3000 + 2500;
    cases[2].fault = "--at-error", cases[2].says = deaf, cases[2].atLeastMs = 3000, cases[2].atMostMs = 3000 + 2500;
    for (Case& c : cases) {
        QString port = c.dir.path("no-such-port");
        if (c.fault) {
            c.phone = std::make_unique<PhoneEmulator>(c.dir, copyDumps(c.dir));
            ASSERT_TRUE(c.phone->start({c.fault}));
            port = c.phone->device();
        }
        c.clock.start();
        c.cli.start(QStringLiteral(QV_BIN_DIR "/quorvanta-cli"), {"phone", "info", "--port", port});
    }
    for (Case& c : cases) {
        SCOPED_TRACE(c.fault ? c.fault : "no phone");
        ASSERT_TRUE(c.cli.waitForFinished(20000));
        const qint64 took = c.clock.elapsed();
        EXPECT_EQ(c.cli.exitCode(), 1);
        const QJsonObject shown = QJsonDocument::fromJson(c.cli.readAllStandardOutput()).object();
        EXPECT_EQ(shown["model"].toString(), "N/A");
        EXPECT_EQ(shown["version"].toString(), "N/A");
        const QByteArray err = c.cli.readAllStandardError();
        EXPECT_TRUE(err.contains(c.says)) << err.toStdString();
        EXPECT_GE(took, c.atLeastMs);
        EXPECT_LT(took, c.atMostMs);
        if (c.phone) {
            EXPECT_EQ(c.phone->count("AT command"), c.fault == QLatin1String("--at-error") ? 1 : 0) << c.phone->log().toStdString();
        }
    }
}

}  // namespace
