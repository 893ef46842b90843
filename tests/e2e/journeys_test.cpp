// The user's journeys through the command-line tool against the emulated phone: reading the
// phone into service files, writing edited items back with a backup, undoing them with the
// backup and writing them again as found by comparison, and Ctrl-C.
#include "e2e/e2e_support.h"
#include "files/workspace.h"
#include "image/byte_order.h"
#include "support/expected_value.h"

#include <QFile>
#include <QJsonObject>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>

using namespace qv;
using namespace qvtest;
using namespace e2e;

namespace {

TEST(PhoneJourney, ReadingThePhoneGivesWhatTheDumpImportGives) {
    ScratchDir dir;
    const Dumps dumps = copyDumps(dir);
    PhoneEmulator phone(dir, dumps);
    ASSERT_TRUE(phone.start());
    const QString fromPhone = dir.path("phone.sav"), fromDumps = dir.path("dumps.sav");
    copyFile(demo().tableFile, fromPhone);
    copyFile(demo().tableFile, fromDumps);

    const CliRun read = runCli(QStringList{"phone", "read", fromPhone, "--baud", "115200"} + phoneOptions(phone));
    ASSERT_EQ(read.code, 0) << why(read);
    const QJsonObject out = jsonOf(read);
    EXPECT_EQ(out["pictures"].toInt(), demo().pictures - 1);
    EXPECT_EQ(out["strings"].toInt(), demo().strings);
    EXPECT_EQ(out["version"].toString(), "V10a P3 W20");
    const CliRun imported = runCli({"build-from-dumps", fromDumps, dumps.dump1, dumps.dump2});
    ASSERT_EQ(imported.code, 0) << why(imported);

    const QByteArray memFromPhone = readAll(dir.path("phone.mem"));
    EXPECT_TRUE(memFromPhone == readAll(dir.path("dumps.mem"))) << firstDifference(memFromPhone, readAll(dir.path("dumps.mem")));
    EXPECT_FALSE(QFile::exists(dir.path("phone.sa2")) || QFile::exists(dir.path("phone.me2")));

    Workspace original, a, b;
    ASSERT_TRUE(original.open(demo().tableFile).ok());
    ASSERT_TRUE(a.open(fromPhone).ok());
    ASSERT_TRUE(b.open(fromDumps).ok());
    MediaImage& phoneImage = a.image();
    MediaImage& dumpImage = b.image();
    // The read keeps the string ids of the table file; the import numbers them afresh.
    for (uint32_t i = 0; i < phoneImage.count(kStringTable); ++i) {
        EXPECT_EQ(phoneImage.strings[i].id, original.image().strings[i].id) << "string " << i;
        dumpImage.strings[i].id = phoneImage.strings[i].id;
    }
    EXPECT_EQ(phoneImage.directory.phoneType, dumpImage.directory.phoneType);
    EXPECT_EQ(phoneImage.directory.versionAddress, dumpImage.directory.versionAddress);
    for (int id : kSectionOrder) {
        EXPECT_EQ(phoneImage.entry(id).present, dumpImage.entry(id).present) << "table " << id;
        EXPECT_EQ(phoneImage.count(id), dumpImage.count(id)) << "table " << id;
        EXPECT_TRUE(phoneImage.tableBlock(id) == dumpImage.tableBlock(id))
            << "table " << id << ": " << firstDifference(phoneImage.tableBlock(id), dumpImage.tableBlock(id));
    }

    EXPECT_EQ(phone.stop(), 0);
    EXPECT_TRUE(readAll(dumps.dump1) == readAll(demo().dump1)) << "a read changed the phone's flash";
    EXPECT_TRUE(readAll(dumps.dump2) == readAll(demo().dump2)) << "a read changed the phone's flash";
}

// Items edited in the data file, with the phone's bytes expected after writing them.
struct EditedItems {
    std::array<QByteArray, 2> expectedDumps;
    std::array<QByteArray, 2> originalDumps;
    struct Place {
        uint32_t address;
        uint32_t length;
    };
    std::vector<Place> written;  // in the order the write goes: pictures, melodies, operators, strings

    void put(uint32_t address, const QByteArray& bytes) {
        const DumpPlace p = placeOf(address);
        expectedDumps[size_t(p.dump)].replace(p.offset, bytes.size(), bytes);
        written.push_back({address, uint32_t(bytes.size())});
    }
    QByteArray original(uint32_t address, uint32_t length) const {
        const DumpPlace p = placeOf(address);
        return originalDumps[size_t(p.dump)].mid(p.offset, length);
    }
};

// Changes bytes at the start, middle and end of the item in the data file.
QByteArray flipBytes(QByteArray bytes) {
    for (qsizetype at : {qsizetype(0), bytes.size() / 2, bytes.size() - 1}) bytes[at] = char(bytes[at] ^ 0xA5);
    return bytes;
}

// The same rows are then found again, and written, by comparing with the service file as it was
// before the edits: a whole translation is sent that way.
TEST(PhoneJourney, WritingEditedItemsChangesExactlyTheirBytesAndTheBackupUndoesIt) {
    ScratchDir dir;
    const Dumps dumps = copyDumps(dir);
    const QString table = copyBuiltPair(dir, "edit"), older = copyBuiltPair(dir, "older");
    EditedItems items;
    items.originalDumps = {readAll(dumps.dump1), readAll(dumps.dump2)};
    items.expectedDumps = items.originalDumps;
    {
        Workspace ws;
        ASSERT_TRUE(ws.open(table).ok());
        const MediaImage& image = ws.image();
        for (const auto& [id, row] : {std::pair{kPictureTable, 1}, std::pair{kPictureTable, 4}, std::pair{kMelodyTable, 2}}) {
            QByteArray blob;
            blob = qvtest::valueOf(ws.readBlob(id, row));
            ASSERT_GT(blob.size(), 0);
            blob = flipBytes(blob);
            ASSERT_TRUE(ws.writeBlob(id, row, blob).ok());
            items.put(image.blob(id, row).address, blob);
        }
        // The operator: a new code and first name in its unpacked record; in the phone only
        // those fields of the packed record change.
        const int op = 3;
        QByteArray record;
        record = qvtest::valueOf(ws.readBlob(kOperatorTable, op));
        ASSERT_EQ(record.size(), 184);
        const QByteArray name("E2E-NAME-1");
        ASSERT_EQ(image.operFormat.name1Length, name.size()) << "the demo's first name field changed";
        putU16(reinterpret_cast<uint8_t*>(record.data()), 0x1234);
        record.replace(4, name.size(), name);
        ASSERT_TRUE(ws.writeBlob(kOperatorTable, op, record).ok());
        const uint32_t opAddress = image.operators[op].address;
        QByteArray packed = items.original(opAddress, image.operFormat.recordSize);
        packed[0] = char(0x34);
        packed[1] = char(0x12);
        packed.replace(image.operFormat.name1Offset, name.size(), name);
        items.put(opAddress, packed);

        QByteArray text;
        text = qvtest::valueOf(ws.readBlob(kStringTable, 5));
        text = flipBytes(text);
        ASSERT_TRUE(ws.writeBlob(kStringTable, 5, text).ok());
        items.put(image.blob(kStringTable, 5).address, text);
    }

    auto expectDumps = [&](const std::array<QByteArray, 2>& expected) {
        for (int d : {0, 1}) {
            const QByteArray now = readAll(d == 0 ? dumps.dump1 : dumps.dump2);
            EXPECT_TRUE(now == expected[size_t(d)]) << "dump " << d + 1 << ": " << firstDifference(now, expected[size_t(d)]);
        }
    };
    PhoneEmulator phone(dir, dumps);
    ASSERT_TRUE(phone.start());
    const CliRun write = runCli(QStringList{"phone", "write", table, "--pictures", "1,4", "--melodies", "2", "--operators",
                                            "3", "--strings", "5", "--backup", "--baud", "115200"} +
                                    phoneOptions(phone),
                                dir.path());
    ASSERT_EQ(write.code, 0) << why(write);
    const QJsonObject written = jsonOf(write)["written"].toObject();
    EXPECT_EQ(written["pictures"].toInt(), 2);
    EXPECT_EQ(written["operators"].toInt(), 1);
    const QString backup = jsonOf(write)["backupFile"].toString();
    ASSERT_TRUE(QFile::exists(backup)) << backup.toStdString();

    // The phone keeps its flash in the dump files once the loader is told to finish.
    ASSERT_TRUE(phone.waitForLog("finish: back to the firmware", 1));
    expectDumps(items.expectedDumps);

    // The backup holds the phone's old bytes of every written item, in the order written.
    const QByteArray patch = readAll(backup);
    qsizetype at = 0;
    for (const auto& place : items.written) {
        ASSERT_LE(at + 8, patch.size());
        const auto* head = reinterpret_cast<const uint8_t*>(patch.constData() + at);
        EXPECT_EQ(getU32(head), place.address);
        EXPECT_EQ(getU32(head + 4), place.length);
        EXPECT_TRUE(patch.mid(at + 8, place.length) == items.original(place.address, place.length));
        at += 8 + place.length;
    }
    EXPECT_EQ(at, patch.size());

    const CliRun restore = runCli(QStringList{"phone", "restore", backup, "--baud", "28800"} + phoneOptions(phone), dir.path());
    ASSERT_EQ(restore.code, 0) << why(restore);
    ASSERT_TRUE(phone.waitForLog("finish: back to the firmware", 2));
    expectDumps(items.originalDumps);

    const QStringList changedSince = {"phone", "write", table, "--changed-since"};
    EXPECT_EQ(runCli(changedSince + QStringList{dir.path("none.sav")} + phoneOptions(phone), dir.path()).code, 1);
    const CliRun again = runCli(changedSince + QStringList{older, "--baud", "115200"} + phoneOptions(phone), dir.path());
    ASSERT_EQ(again.code, 0) << why(again);
    EXPECT_EQ(jsonOf(again)["written"].toObject(), written);
    ASSERT_TRUE(phone.waitForLog("finish: back to the firmware", 3));
    expectDumps(items.expectedDumps);
    EXPECT_EQ(phone.stop(), 0);
}

// Ctrl-C pressed `afterEndKeyMs` after the phone took the end key; the pause after the keypad
// command lasts `keypadWaitMs`. The phone never comes back from the end key, so without the
// cancel the tool would greet it for ever.
void expectCtrlCCancelsTheRead(int keypadWaitMs, int afterEndKeyMs) {
    ScratchDir dir;
    PhoneEmulator phone(dir, copyDumps(dir));
    ASSERT_TRUE(phone.start({"--boot-delay", "600000"}));
    const QString table = dir.path("r.sav");
    copyFile(demo().tableFile, table);
    QProcess cli;
    cli.start(QStringLiteral(QV_BIN_DIR "/quorvanta-cli"),
              {"phone", "read", table, "--port", phone.device(), "--loader", demo().loaderFile, "--keypad-wait",
               QString::number(keypadWaitMs)});
    ASSERT_TRUE(phone.waitForLog("end key"));
    QThread::msleep(afterEndKeyMs);
    ::kill(pid_t(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(keypadWaitMs + 3000)) << "the tool did not end after Ctrl-C";
    EXPECT_EQ(cli.exitCode(), 1);
    EXPECT_EQ(cli.readAllStandardError().trimmed(), "Operation Aborted");
    EXPECT_FALSE(QFile::exists(dir.path("r.mem")));
}

TEST(PhoneCommandLine, CtrlCWhileGreetingThePhoneCancels) { expectCtrlCCancelsTheRead(50, 300); }

// Ctrl-C in the pause after the keypad command reaches the worker together with the task.
// Enable once a task cancelled before the worker took it up ends as aborted.
TEST(PhoneCommandLine, CtrlCInThePauseAfterTheKeypadCommandCancels) { expectCtrlCCancelsTheRead(1500, 300); }

}  // namespace
