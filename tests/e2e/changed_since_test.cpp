// A whole translation sent at once: phone write --changed-since ticks exactly the rows whose
// items differ from an older service file, and the phone ends up holding them.
#include "e2e/e2e_support.h"
#include "files/workspace.h"
#include "support/expected_value.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;
using namespace e2e;

namespace {

TEST(ChangedSince, WritesExactlyTheRowsThatDifferFromTheOlderFile) {
    ScratchDir dir;
    const Dumps dumps = copyDumps(dir);
    const QString table = copyBuiltPair(dir, "now");
    const QString older = copyBuiltPair(dir, "older");
    QByteArray text;
    uint32_t address = 0;
    {
        Workspace ws;
        ASSERT_TRUE(ws.open(table).ok());
        text = qvtest::valueOf(ws.readBlob(kStringTable, 6));
        for (char& c : text) c = char(c ^ 0x5A);
        ASSERT_TRUE(ws.writeBlob(kStringTable, 6, text).ok());
        address = ws.image().blob(kStringTable, 6).address;
    }
    PhoneEmulator phone(dir, dumps);
    ASSERT_TRUE(phone.start());
    const CliRun write = runCli(QStringList{"phone", "write", table, "--changed-since", older, "--baud", "115200"} +
                                    phoneOptions(phone),
                                dir.path());
    ASSERT_EQ(write.code, 0) << why(write);
    const QJsonObject written = jsonOf(write)["written"].toObject();
    EXPECT_EQ(written["strings"].toInt(), 1);
    EXPECT_EQ(written["pictures"].toInt() + written["melodies"].toInt() + written["operators"].toInt(), 0);
    ASSERT_TRUE(phone.waitForLog("finish: back to the firmware", 1));
    const DumpPlace place = placeOf(address);
    const QByteArray dump = readAll(place.dump == 0 ? dumps.dump1 : dumps.dump2);
    EXPECT_EQ(dump.mid(place.offset, text.size()), text);

    const CliRun otherPhone = runCli(QStringList{"phone", "write", table, "--changed-since", dir.path("none.sav")} +
                                         phoneOptions(phone),
                                     dir.path());
    EXPECT_EQ(otherPhone.code, 1);
}

}  // namespace
