// A phone that misbehaves: refused write segments, silence, lost bytes, line noise and a
// firmware that does not answer AT commands (and the Info exchange where it does). Each task must
// end in a known state: the right message, the files and tick marks as the user can rely on, and
// the port closed.
#include "e2e/e2e_support.h"
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

// The Info exchange: what the phone reports, or N/A when it is deaf, says ERROR or is missing.
TEST(Info, PrintsWhatThePhoneReportsOrNotAvailableWhenItIsDeafSaysErrorOrIsMissing) {
    const char* deaf = "Can not receive a response from the phone";
    const struct {
        QStringList phone;  // empty: no phone on the port at all
        int code;
        const char *model, *version, *says;
        int atLeastMs, atMostMs, atCommands;  // atCommands < 0: not counted
    } cases[] = {
        {{}, 1, "N/A", "N/A", "Can not open COM port", 0, 2000, -1},
        // At the line's own pace the replies come in several pieces.
        {{"--model", "E2E-7", "--version", "V99z", "--throttle"}, 0, "E2E-7", "V99z", "", 0, 3000, -1},
        {{"--at-silent"}, 1, "N/A", "N/A", deaf, 3000, 3000 + 2500, 0},
        {{"--at-error"}, 1, "N/A", "N/A", deaf, 3000, 3000 + 2500, 1},
    };
    struct Run {
        ScratchDir dir;
        std::unique_ptr<PhoneEmulator> phone;
        QProcess cli;
        QElapsedTimer clock;
    };
    // The firmware faults wait out the 3 s answer time, side by side; waited for in this order,
    // so each one's time is its own.
    std::array<Run, std::size(cases)> runs;
    for (size_t i = 0; i < runs.size(); ++i) {
        Run& run = runs[i];
        QString port = run.dir.path("no-such-port");
        if (!cases[i].phone.isEmpty()) {
            run.phone = std::make_unique<PhoneEmulator>(run.dir, copyDumps(run.dir));
            ASSERT_TRUE(run.phone->start(cases[i].phone));
            port = run.phone->device();
        }
        run.clock.start();
        run.cli.start(QStringLiteral(QV_BIN_DIR "/quorvanta-cli"), {"phone", "info", "--port", port, "--keypad-wait", "50"});
    }
    for (size_t i = 0; i < runs.size(); ++i) {
        const auto& c = cases[i];
        Run& run = runs[i];
        SCOPED_TRACE(c.phone.join(' ').toStdString());
        ASSERT_TRUE(run.cli.waitForFinished(20000));
        const qint64 took = run.clock.elapsed();
        EXPECT_EQ(run.cli.exitCode(), c.code);
        const QJsonObject shown = QJsonDocument::fromJson(run.cli.readAllStandardOutput()).object();
        EXPECT_EQ(shown["model"].toString(), c.model);
        EXPECT_EQ(shown["version"].toString(), c.version);
        const QByteArray err = run.cli.readAllStandardError();
        EXPECT_TRUE(err.contains(c.says)) << err.toStdString();
        EXPECT_GE(took, c.atLeastMs);
        EXPECT_LT(took, c.atMostMs);
        if (c.atCommands >= 0) {
            EXPECT_EQ(run.phone->count("AT command"), c.atCommands) << run.phone->log().toStdString();
        }
    }
    // And the port is free again: a second request gets the same answer.
    const CliRun again = runCli({"phone", "info", "--port", runs[1].phone->device()});
    EXPECT_EQ(jsonOf(again)["model"].toString(), "E2E-7") << why(again);
}

}  // namespace
