// The lists' right-click batches: whole lists out and in, one message for a refused batch.
#include "app/list_batch_actions.h"
#include "demo_model/demo_model.h"
#include "editors/item_views.h"
#include "files/flash_dump_source.h"
#include "support/test_support.h"

#include <QDir>
#include <QListView>
#include <QMenu>
#include <QWidget>
#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;

namespace {

class BatchDialogs final : public DialogService {
public:
    QString folder, openFile, saveFile;
    QStringList messages, errors, details;
    bool askYesNo(const QString&, const QString&) override { return false; }
    void showMessage(const QString& text, const QString&) override { messages << text; }
    void showError(const QString& text, const QString&) override { errors << text; }
    QString chooseOpenFile(const QString&, const QString&, const QString&) override { return openFile; }
    QString chooseSaveFile(const QString&, const QString&, const QString&) override { return saveFile; }
    int chooseDataFileSource() override { return 0; }
    QString chooseFolder(const QString&, const QString&) override { return folder; }
    void showErrorDetails(const QString& text, const QString&, const QString& list) override {
        errors << text;
        details << list;
    }
};

class ListBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto m = makeDemoModel(dir.path("model"), {5, false, "demo"});
        ASSERT_TRUE(m) << m.error().message().toStdString();
        model = *m;
        ASSERT_TRUE(ws.open(model.tableFile).ok());
        ASSERT_TRUE(importFromFlashDumps(ws, model.dump1, model.dump2).ok());
        actions = new ListBatchActions(&window, ws, dialogs, {[this](ListKind k) { changed << int(k); }, {}});
    }
    ScratchDir dir;
    DemoModel model;
    Workspace ws;
    QWidget window;
    BatchDialogs dialogs;
    ListBatchActions* actions = nullptr;  // owned by the window
    QList<int> changed;
};

TEST_F(ListBatchTest, TheMenuOffersTheListsBatches) {
    QListView list;
    actions->attach(&list, ListKind::Pictures);
    EXPECT_EQ(list.contextMenuPolicy(), Qt::CustomContextMenu);
    QMenu* strings = actions->menuFor(ListKind::Strings, &window);
    ASSERT_EQ(strings->actions().size(), 2);
    EXPECT_EQ(strings->actions()[0]->text(), QString::fromUtf8("Export for translation…"));
    EXPECT_EQ(strings->actions()[1]->text(), QString::fromUtf8("Import translation…"));
    EXPECT_EQ(actions->menuFor(ListKind::Melodies, &window)->actions()[1]->text(), QString::fromUtf8("Import folder…"));
}

TEST_F(ListBatchTest, PicturesGoOutToAFolderAndComeBackUnchanged) {
    dialogs.folder = dir.path("pictures");
    actions->exportAll(ListKind::Pictures);
    ASSERT_EQ(dialogs.messages.size(), 1) << dialogs.errors.join('\n').toStdString();
    EXPECT_EQ(QDir(dialogs.folder).entryList(QDir::Files).size(), ws.rowCount(ListKind::Pictures));
    const QByteArray before = readAll(ServiceFileNames(model.tableFile).mem);
    actions->importAll(ListKind::Pictures);
    EXPECT_TRUE(changed.isEmpty());  // nothing differed, nothing to show anew
    EXPECT_EQ(readAll(ServiceFileNames(model.tableFile).mem), before);
}

TEST_F(ListBatchTest, ARefusedTranslationIsOneMessageListingEveryProblem) {
    dialogs.saveFile = dir.path("strings.po");
    actions->exportAll(ListKind::Strings);
    ASSERT_TRUE(QFile::exists(dialogs.saveFile));
    QByteArray po = readAll(dialogs.saveFile);
    // Two entries get a translation far longer than any string holds.
    const QByteArray tooLong = "msgstr \"" + QByteArray(300, 'W') + "\"";
    po.replace(po.indexOf("msgstr \"\"", po.indexOf("msgctxt \"1\"")), 9, tooLong);
    po.replace(po.indexOf("msgstr \"\"", po.indexOf("msgctxt \"2\"")), 9, tooLong);
    writeAll(dialogs.saveFile, po);
    dialogs.openFile = dialogs.saveFile;
    const QByteArray before = readAll(ServiceFileNames(model.tableFile).mem);
    actions->importAll(ListKind::Strings);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains("nothing was changed")) << dialogs.errors[0].toStdString();
    EXPECT_TRUE(dialogs.details[0].contains("row 1:"));
    EXPECT_TRUE(dialogs.details[0].contains("row 2:"));
    EXPECT_EQ(readAll(ServiceFileNames(model.tableFile).mem), before);
    EXPECT_TRUE(changed.isEmpty());
}

}  // namespace
