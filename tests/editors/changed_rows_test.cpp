// Rows changed since an older service file of the same phone: matched by item, not by row.
#include "editors/changed_rows.h"
#include "editors/demo_workspace.h"
#include "editors/edit_operations.h"

#include <QFile>

using namespace qv;
using namespace qvtest;

namespace {

class ChangedRowsTest : public DemoWorkspaceTest {
protected:
    // The pair as built, kept as the older service file.
    QString keepOlder() {
        const QString older = dir.path("older.sav");
        writeAll(older, sav);
        writeAll(dir.path("older.mem"), mem);
        return older;
    }
};

TEST_F(ChangedRowsTest, EditedItemsAreFoundAndMovedRowsStillMatchTheirItems) {
    const QString older = keepOlder();
    CharMapCoding coding;
    coding.rebuild(ws.image().charMap);
    ASSERT_TRUE(applyString(ws, coding, 3, "ABC", ws.image().strings[3].fontAttribute).ok());
    QByteArray picture = blob(kPictureTable, 1);
    picture[0] = char(~picture[0]);
    ASSERT_TRUE(ws.writeBlob(kPictureTable, 1, picture).ok());
    ASSERT_TRUE(deleteRows(ws, ListKind::Melodies, {0}).ok());  // every later melody moves up a row

    const auto changed = rowsChangedSince(ws, older);
    ASSERT_TRUE(changed) << changed.error().message().toStdString();
    EXPECT_EQ(changed->rows[size_t(ListKind::Strings)], std::vector<int>{3});
    EXPECT_EQ(changed->rows[size_t(ListKind::Pictures)], std::vector<int>{1});
    EXPECT_TRUE(changed->rows[size_t(ListKind::Melodies)].empty());
    EXPECT_TRUE(changed->rows[size_t(ListKind::Operators)].empty());
}

TEST_F(ChangedRowsTest, AnotherPhoneOrAMissingDataFileIsRefused) {
    const QString older = keepOlder();
    QFile::remove(dir.path("older.mem"));
    EXPECT_FALSE(rowsChangedSince(ws, older));

    auto other = makeDemoModel(dir.path("other"), {4, false, "other"});
    ASSERT_TRUE(other);
    Workspace built;
    ASSERT_TRUE(built.open(other->tableFile).ok());
    ASSERT_TRUE(importFromFlashDumps(built, other->dump1, other->dump2).ok());
    const auto refused = rowsChangedSince(ws, other->tableFile);
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.error().message().contains("phone type"));
}

}  // namespace
