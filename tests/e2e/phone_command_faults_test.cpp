// The phone commands when the cable or the phone lets them down: the cable pulled while the
// program waits for the boot code or for the loader, a phone that never boots (the reminder
// and --boot-timeout), a backup asked for when the port cannot be opened, and a loader file or
// speed that cannot be used.
#include "e2e/e2e_support.h"
#include "image/byte_order.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <array>
#include <chrono>
#include <memory>
#include <thread>

using namespace qvtest;
using namespace e2e;

namespace {

const QString kCli = QStringLiteral(QV_BIN_DIR "/quorvanta-cli");
const char* kReminder = "Connect a cable. Press and hold the power button...";

QStringList backupsIn(const QString& dir) { return QDir(dir).entryList({"backup_*.flp"}, QDir::Files); }

TEST(PulledCable, ThePhoneCommandEndsWithThePortsFailureWhileWaitingForTheBootCodeOrTheLoader) {
    struct Case {
        const char* waitingFor;
        QStringList phoneOptions;
        QByteArray phoneSays;  // the moment the host is waiting
    };
    const Case cases[] = {
        {"the boot code", {"--boot-delay", "3600000"}, "end key: the phone switches off"},
        {"the loader", {"--start-delay", "3600000"}, "loader image received"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.waitingFor);
        ScratchDir dir;
        const QString table = copyBuiltPair(dir, "edit");
        PhoneEmulator phone(dir, copyDumps(dir));
        ASSERT_TRUE(phone.start(c.phoneOptions));
        QProcess cli;
        cli.setWorkingDirectory(dir.path());
        cli.start(kCli, QStringList{"phone", "write", table, "--pictures", "0", "--backup"} + phoneOptions(phone));
        ASSERT_TRUE(phone.waitForLog(c.phoneSays));
        // Let the host settle into its wait (greeting every few milliseconds, or listening).
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        phone.stop();  // the pseudo-terminal's other side closes, as when the cable is pulled
        ASSERT_TRUE(cli.waitForFinished(20000)) << "still waiting on a port that is gone";
        EXPECT_EQ(cli.exitCode(), 1);
        const QByteArray err = cli.readAllStandardError();
        // The result code's message, and the system's own reason for it.
        EXPECT_TRUE(QString::fromUtf8(err).contains(QRegularExpression("^COM port (read|write) failed: \\S", QRegularExpression::MultilineOption)))
            << err.toStdString();
        EXPECT_FALSE(err.contains("Aborted")) << err.toStdString();
        EXPECT_TRUE(backupsIn(dir.path()).isEmpty()) << "no old bytes were read, yet a backup file was left";
    }
}

TEST(BootWait, ThePhoneCommandRemindsOnceAndGivesUpAtTheBootTimeout) {
    struct Case {
        const char* phone;
        QStringList phoneOptions;
        QString bootTimeout;
        const char* says;
        int reminders;
        ScratchDir dir = {};
        std::unique_ptr<PhoneEmulator> emulator = {};
        QString table = {};
        QProcess cli{};
    };
    // Side by side: the first one waits past the ten seconds after which the user is reminded.
    std::array<Case, 2> cases{{
        {"never boots", {"--boot-delay", "3600000"}, "11", "The phone's boot code did not answer within 11 s", 1},
        {"its loader never starts", {"--start-delay", "3600000"}, "2", "The loader did not confirm its start within 2 s", 0},
    }};
    for (Case& c : cases) {
        c.table = c.dir.path("phone.sav");
        copyFile(demo().tableFile, c.table);  // no data file: the read would make one
        c.emulator = std::make_unique<PhoneEmulator>(c.dir, copyDumps(c.dir));
        ASSERT_TRUE(c.emulator->start(c.phoneOptions));
        c.cli.start(kCli, QStringList{"phone", "read", c.table, "--boot-timeout", c.bootTimeout} + phoneOptions(*c.emulator));
    }
    for (Case& c : cases) {
        SCOPED_TRACE(c.phone);
        ASSERT_TRUE(c.cli.waitForFinished(40000));
        EXPECT_EQ(c.cli.exitCode(), 1);
        const QByteArray err = c.cli.readAllStandardError();
        EXPECT_TRUE(err.contains(c.says)) << err.toStdString();
        EXPECT_EQ(err.count(kReminder), c.reminders) << err.toStdString();
        EXPECT_FALSE(QFile::exists(c.dir.path("phone.mem")));
    }

    const CliRun zero = runCli({"phone", "read", cases[0].table, "--boot-timeout", "0"});
    EXPECT_EQ(zero.code, 2) << zero.err.toStdString();
    const CliRun help = runCli({"phone", "--help"});
    EXPECT_TRUE(help.out.contains("--boot-timeout S")) << help.out.toStdString();
}

TEST(Backup, NoBackupFileAndNoWordOfOneWhenNoOldBytesWereRead) {
    ScratchDir dir;
    const QString table = copyBuiltPair(dir, "edit");
    PhoneEmulator phone(dir, copyDumps(dir));
    ASSERT_TRUE(phone.start());
    struct Case {
        const char* name;
        QStringList options;
        int code;
        QByteArray says;  // the start of stderr; all of it when the command succeeds
    };
    const Case cases[] = {
        {"the port cannot be opened",
         {"--pictures", "0", "--port", dir.path("no-such-port"), "--keypad-wait", "0", "--loader", demo().loaderFile},
         1, "COM port init failed (Can not open the port "},
        // Nothing to send, and the phone is not called for it.
        {"nothing is ticked", phoneOptions(phone), 0, "No row is ticked: nothing was written to the phone\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run = runCli(QStringList{"phone", "write", table, "--backup"} + c.options, dir.path());
        EXPECT_EQ(run.code, c.code) << run.err.toStdString();
        EXPECT_TRUE(c.code == 0 ? run.err == c.says : run.err.startsWith(c.says)) << run.err.toStdString();
        EXPECT_TRUE(backupsIn(dir.path()).isEmpty()) << backupsIn(dir.path()).join(' ').toStdString();
        EXPECT_FALSE(run.err.contains("old bytes")) << run.err.toStdString();
        EXPECT_FALSE(QJsonDocument::fromJson(run.out).object().contains("backupFile")) << run.out.toStdString();
    }
    EXPECT_EQ(phone.count("AT command"), 0) << "the phone was spoken to:\n" << phone.log().toStdString();
}

// A loader file that cannot be used, or a speed the loader has no code for, stops the command
// before the phone is spoken to.
TEST(LoaderChecks, AnUnusableLoaderFileOrASpeedWithoutALoaderCodeIsRefusedBeforeThePhoneIsCalled) {
    ScratchDir dir;
    const QString table = copyBuiltPair(dir, "edit"), fresh = dir.path("r.sav");
    copyFile(demo().tableFile, fresh);
    QByteArray patch(8, '\0');
    qv::putU32(reinterpret_cast<uint8_t*>(patch.data()), 0x01001000);
    qv::putU32(reinterpret_cast<uint8_t*>(patch.data()) + 4, 4);
    writeAll(dir.path("small.flp"), patch + "abcd");
    writeAll(dir.path("short.bin"), QByteArray(100, 'x'));
    PhoneEmulator phone(dir, copyDumps(dir));
    ASSERT_TRUE(phone.start());
    const char* speeds = "9600, 19200, 28800, 38400, 115200, 230400";
    const struct {
        QStringList command, options;  // the options after those of the phone
        QStringList says;
    } cases[] = {
        {{"read", fresh}, {"--loader", dir.path("absent.bin")}, {"cannot be read", dir.path("absent.bin")}},
        {{"read", fresh}, {"--loader", dir.path("short.bin")}, {"must have exactly 7116", dir.path("short.bin")}},
        {{"read", fresh}, {"--baud", "57600"}, {"57600", speeds}},
        {{"write", table, "--pictures", "0"}, {"--baud", "57600"}, {"57600", speeds}},
        {{"restore", dir.path("small.flp")}, {"--baud", "57600"}, {"57600", speeds}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.command + c.options).join(' ').toStdString());
        const CliRun run = runCli(QStringList{"phone"} + c.command + phoneOptions(phone) + c.options);
        EXPECT_EQ(run.code, 1);
        for (const QString& said : c.says) EXPECT_TRUE(QString::fromUtf8(run.err).contains(said)) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.path("r.mem")));
    }
    EXPECT_EQ(phone.count("AT command"), 0) << "the phone was spoken to:\n" << phone.log().toStdString();
}

}  // namespace
