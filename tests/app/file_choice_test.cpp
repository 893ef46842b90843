// File filters and the file-name field.
#include "app/dialog_service.h"
#include "app/file_name_edit.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace qv;

namespace {

TEST(QtFileFilter, TurnsPairsIntoQtFilters) {
    const std::pair<const char*, const char*> cases[] = {
        {"Service file|*.sav", "Service file (*.sav)"},
        {"Text|*.txt|Pictures|*.bmp;*.png", "Text (*.txt);;Pictures (*.bmp *.png)"},
        {"Service file (*.sav)|*.sav", "Service file (*.sav)"},
        {"All files|", "All files (*)"},
        {"Melody", "Melody (*)"},
        {"|*.mel", "(*.mel)"},
        {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(qtFileFilter(in), out) << in;
}

TEST(FileNameEdit, BrowseAsksWithTheFieldsPropertiesAndTakesTheAnswer) {
    qvtest::ScratchDir dir;
    FileNameEdit edit;
    edit.setFilter("EXE files|*.exe");
    edit.setDefaultSuffix("*.exe");
    edit.setStartDir(dir.path());
    edit.setDialogTitle("old title");
    QList<FileRequest> asked;
    QString answer = "/opt/player/play.exe";
    edit.setChooser([&](QWidget* parent, const FileRequest& r) {
        EXPECT_EQ(parent, &edit);
        asked << r;
        return answer;
    });
    // Handlers of beforeDialog may still change what the dialog shows.
    QObject::connect(&edit, &FileNameEdit::beforeDialog, [&] { edit.setDialogTitle("Path to player"); });
    QSignalSpy chosen(&edit, &FileNameEdit::fileChosen);

    QTest::mouseClick(edit.browseButton(), Qt::LeftButton);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].title, "Path to player");
    EXPECT_EQ(asked[0].filter, "EXE files (*.exe)");
    EXPECT_EQ(asked[0].defaultSuffix, "exe");
    EXPECT_EQ(QDir(asked[0].directory), QDir(dir.path()));
    EXPECT_EQ(edit.text(), answer);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].toString(), answer);

    answer.clear();  // cancelled
    edit.browse();
    EXPECT_EQ(edit.text(), "/opt/player/play.exe");
    EXPECT_EQ(chosen.count(), 1);
}

}  // namespace
