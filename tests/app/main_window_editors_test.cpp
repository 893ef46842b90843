// The content editors of the main window, driven offscreen through their controls with
// scripted dialogs, over the demo model built from its flash dumps.
#include "app/file_name_edit.h"
#include "editors/bmp_file.h"
#include "editors/char_map_coding.h"
#include "editors/edit_operations.h"
#include "editors/item_views.h"
#include "main_window_fixture.h"
#include "support/expected_value.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QTest>
#include <QThread>
#include <QToolButton>

using namespace qv;
using namespace qvtest;

namespace {

constexpr QRgb kRed = 0xFFFF0000;

class EditorTest : public MainWindowTest {
protected:
    static QString rowText(MainWindow& w, const char* list, int row) {
        auto* v = child<QListView>(w, list);
        return v->model()->data(v->model()->index(row, 0)).toString();
    }
    // The service file as saved, opened afresh.
    std::unique_ptr<Workspace> reopened() {
        auto ws = std::make_unique<Workspace>();
        EXPECT_TRUE(ws->open(model.tableFile)) << "the saved service file does not open";
        return ws;
    }
    QString bitmap(const char* name, int width, int height, QRgb colour) {
        QImage img(width, height, QImage::Format_RGB32);
        img.fill(colour);
        const QString path = dir.path(name);
        EXPECT_TRUE(writeBmp24File(img, path));
        return path;
    }
    QString fileOf(const char* name, int bytes) {
        QByteArray data(bytes, '\0');
        for (int i = 0; i < bytes; ++i) data[i] = char('A' + i % 23);
        writeAll(dir.path(name), data);
        return dir.path(name);
    }
};

bool reddish(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }

// ---- Pictures ------------------------------------------------------------------------------

TEST_F(EditorTest, ImportingABitmapReplacesThePictureItsThumbnailAndPreviewAndTicksIt) {
    auto w = opened();
    const QImage thumbBefore = w->thumbnails().image(0);
    ASSERT_FALSE(reddish(thumbBefore.pixel(24, 24)));
    dialogs.files = {bitmap("red.bmp", 128, 160, kRed)};
    w->panel<PicturePanel>()->importButton->click();

    EXPECT_EQ(dialogs.titles.last(), "Picture");
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
    EXPECT_TRUE(reddish(w->thumbnails().image(0).pixel(24, 24)));
    EXPECT_EQ(w->thumbnails().image(1), makeThumbnail(pictureOfRow(w->workspace(), 1).value()));
    EXPECT_TRUE(reddish(child<QLabel>(*w, "picturePreview")->pixmap().toImage().pixel(64, 80)));
    EXPECT_TRUE(w->workspace().ticks(ListKind::Pictures)[0]);
    auto* list = child<QListView>(*w, "pictureList");
    EXPECT_EQ(list->model()->data(list->model()->index(0, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    const auto stored = pictureOfRow(w->workspace(), 0);
    ASSERT_TRUE(stored);
    EXPECT_TRUE(reddish(stored->pixel(100, 150)));
}

// A refused picture (here of the wrong size; one too large for its place is refused by the same
// import below the window) shows the reason and changes nothing.
TEST_F(EditorTest, APictureOfTheWrongSizeIsRefusedWithAWarningAndChangesNothing) {
    auto w = opened();
    const QImage thumbBefore = w->thumbnails().image(0);
    const QImage previewBefore = child<QLabel>(*w, "picturePreview")->pixmap().toImage();
    const QImage before = pictureOfRow(w->workspace(), 0).value();
    dialogs.files = {bitmap("wide.bmp", 160, 128, kRed)};
    w->panel<PicturePanel>()->importButton->click();

    EXPECT_EQ(dialogs.warnings, QStringList{"the image is 160x128, the picture 128x160"});
    EXPECT_EQ(dialogs.messages, dialogs.warnings);
    EXPECT_FALSE(w->workspace().ticks(ListKind::Pictures)[0]);
    EXPECT_EQ(w->thumbnails().image(0), thumbBefore);
    EXPECT_EQ(child<QLabel>(*w, "picturePreview")->pixmap().toImage(), previewBefore);
    EXPECT_EQ(pictureOfRow(w->workspace(), 0).value(), before);
    // Cancelling the file choice does nothing at all.
    w->panel<PicturePanel>()->importButton->click();
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST_F(EditorTest, ImportIsOfferedOnlyForFormatsThatCanBeWrittenBack) {
    auto w = opened();
    const struct {
        int row;
        bool offered;
        const char* depth;
    } cases[] = {
        {0, true, "16 bit"},   // 16-bit colour
        {3, true, "24 bit"},   // not the caption of the row before
        {4, true, "32 bit"},
        {6, true, "1 bit"},    // mono in bands of 8 rows
        {8, false, "4 bit"},   // 4-bit grey
        {9, false, "1 bit"},   // mono in row order
        {10, false, "1 bit"},  // mono in 16-row column words
        {13, true, "12 bit"},  // run-length colour
    };
    for (const auto& c : cases) {
        selectRow(*w, "pictureList", c.row);
        EXPECT_EQ(w->panel<PicturePanel>()->importButton->isEnabled(), c.offered) << "row " << c.row;
        EXPECT_EQ(child<QLabel>(*w, "colourDepthLabel")->text(), c.depth) << "row " << c.row;
        dialogs.titles.clear();
        w->importClicked();
        EXPECT_EQ(dialogs.titles.size(), c.offered ? 1 : 0) << "row " << c.row;
    }
    // The melodies' own button offers import, whatever picture was selected last.
    selectRow(*w, "pictureList", 8);
    w->showMelodies();
    EXPECT_TRUE(w->panel<MelodyPanel>()->importButton->isEnabled());
    w->showImages();
    EXPECT_FALSE(w->panel<PicturePanel>()->importButton->isEnabled());
}

TEST_F(EditorTest, ThePreviewIsScaledWithHalvesToEvenAndStaysCentred) {
    auto w = opened();
    auto* sx = child<QSpinBox>(*w, "zoomWidth");
    auto* sy = child<QSpinBox>(*w, "zoomHeight");
    auto* preview = child<QLabel>(*w, "picturePreview");
    EXPECT_EQ(sx->value(), 100);
    EXPECT_EQ(sx->minimum(), 1);
    EXPECT_EQ(sx->maximum(), 400);
    EXPECT_EQ(sy->maximum(), 400);
    const struct {
        int row;
        int width;  // 0: the picture's own
        int scaleX, scaleY;
        QString size, scaled;
    } cases[] = {
        {20, 0, 150, 150, "13x10", "(20x15)"},    // 19.5 goes up to 20
        {23, 0, 150, 150, "15x9", "(22x14)"},     // 22.5 goes down to 22, 13.5 up to 14
        {0, 0, 101, 33, "128x160", "(129x53)"},
        {0, 0, 1, 400, "128x160", "(1x640)"},
        {4, 101, 150, 100, "101x64", "(152x64)"},  // 151.5
        {4, 99, 150, 100, "99x64", "(148x64)"},    // 148.5
    };
    for (const auto& c : cases) {
        if (c.width) w->workspace().image().pictures[size_t(c.row)].width = uint16_t(c.width);
        selectRow(*w, "pictureList", c.row == 0 ? 1 : 0);
        selectRow(*w, "pictureList", c.row);
        sx->setValue(c.scaleX);
        sy->setValue(c.scaleY);
        EXPECT_EQ(child<QLabel>(*w, "pictureSizeLabel")->text(), c.size);
        EXPECT_EQ(child<QLabel>(*w, "scaledSizeLabel")->text(), c.scaled);
        const QRect g = preview->geometry();
        EXPECT_EQ(QStringLiteral("(%1x%2)").arg(g.width()).arg(g.height()), c.scaled) << "row " << c.row;
        EXPECT_EQ(preview->pixmap().size(), g.size());
        // Centred in the preview's area along each side it fits in, else from its start.
        const QWidget* room = preview->parentWidget();
        EXPECT_EQ(g.left(), g.width() < room->width() ? room->width() / 2 - g.width() / 2 : 0);
        EXPECT_EQ(g.top(), g.height() < room->height() ? room->height() / 2 - g.height() / 2 : 0);
    }
}

TEST_F(EditorTest, TransparencyTakesTheBottomLeftColourOutWithoutSmoothing) {
    auto w = opened();
    selectRow(*w, "pictureList", 13);  // a red circle on a plain light background
    child<QSpinBox>(*w, "zoomWidth")->setValue(200);
    auto shown = [&] { return child<QLabel>(*w, "picturePreview")->pixmap().toImage(); };
    QImage opaque = shown();
    ASSERT_EQ(opaque.size(), QSize(96, 48));
    EXPECT_EQ(qAlpha(opaque.pixel(0, 47)), 255);
    // Stretched without smoothing: only the picture's own colours appear.
    const QImage source = pictureOfRow(w->workspace(), 13).value();
    QSet<QRgb> own, stretched;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) own.insert(source.pixel(x, y) | 0xFF000000);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 96; ++x) stretched.insert(opaque.pixel(x, y) | 0xFF000000);
    EXPECT_TRUE(own.contains(stretched));

    child<QCheckBox>(*w, "transparentCheck")->setChecked(true);
    const QImage clear = shown();
    EXPECT_EQ(qAlpha(clear.pixel(0, 47)), 0);
    EXPECT_EQ(qAlpha(clear.pixel(95, 0)), 0);
    EXPECT_EQ(qAlpha(clear.pixel(48, 24)), 255);
    EXPECT_TRUE(reddish(clear.pixel(48, 24)));
    EXPECT_EQ(child<QLabel>(*w, "transparentLabel")->text(), "Transparency");
}

// Export asks where, offering the row's file name in the service file's folder, and writes
// exactly there; a cancelled choice writes nothing.
TEST_F(EditorTest, ExportAsksWhereStartingBesideTheServiceFileAndReportsAFailure) {
    options.exportFolder = dir.path("out");
    QDir().mkpath(options.exportFolder);
    auto w = opened();
    for (int row : {3, 10}) {
        selectRow(*w, "pictureList", row);
        const QString chosen = dir.path(QStringLiteral("chosen%1.bmp").arg(row));
        dialogs.saveFiles = {chosen};
        w->panel<PicturePanel>()->exportButton->click();
        EXPECT_EQ(dialogs.titles.last(), "Export");
        EXPECT_EQ(dialogs.suggested.last(), QDir(dir.path()).filePath(pictureExportName(row)));
        const auto written = readBmpFile(chosen);
        ASSERT_TRUE(written) << chosen.toStdString();
        const QImage picture = pictureOfRow(w->workspace(), row).value();
        ASSERT_EQ(QSize(written->width, written->height), picture.size());
        EXPECT_EQ(written->bitsPerPixel, row == 10 ? 1 : 24) << "the picture's own depth";
        for (int y = 0; y < picture.height(); y += 7)
            for (int x = 0; x < picture.width(); x += 5)
                EXPECT_EQ(written->pixel(x, y) & 0xFFFFFF, picture.pixel(x, y) & 0xFFFFFF) << x << "," << y;
    }
    EXPECT_TRUE(dialogs.suggested.last().endsWith("bitmap000A.bmp"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(QDir(options.exportFolder).isEmpty());

    w->showMelodies();
    selectRow(*w, "melodyList", 3);
    w->panel<MelodyPanel>()->exportButton->click();  // cancelled
    EXPECT_EQ(dialogs.suggested.last(), dir.path("melody_0003.mmf"));
    EXPECT_EQ(dialogs.filters.last(), "SMAF files|*.mmf");
    EXPECT_FALSE(QFile::exists(dir.path("melody_0003.mmf")));

    // A folder in the file's place cannot be written over.
    w->showImages();
    QDir().mkpath(dir.path("taken.bmp"));
    selectRow(*w, "pictureList", 0);
    dialogs.saveFiles = {dir.path("taken.bmp")};
    w->panel<PicturePanel>()->exportButton->click();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages.last().contains("taken.bmp"));
}

// ---- Melodies ------------------------------------------------------------------------------

TEST_F(EditorTest, AMelodyLongerThanItsSlotIsRefusedButTicked) {
    auto w = opened(&MainWindow::showMelodies);
    EXPECT_EQ(w->panel<MelodyPanel>()->melodyCaption->text(), "Melody");
    EXPECT_EQ(w->panel<MelodyPanel>()->byteSizeLabel->text(), "1200 byte");
    const QByteArray before = melodySlot(w->workspace(), 0).value();
    dialogs.files = {fileOf("long.mmf", 1201)};
    w->panel<MelodyPanel>()->importButton->click();

    EXPECT_EQ(dialogs.titles.last(), "Open file");
    EXPECT_EQ(dialogs.filters.last(), "SMAF files|*.mmf");
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.messages.last(), "The file size should be less or is equal 1200 byte(s)");
    EXPECT_EQ(melodySlot(w->workspace(), 0).value(), before);
    EXPECT_TRUE(w->workspace().ticks(ListKind::Melodies)[0]);
}

TEST_F(EditorTest, TheFileBoxFollowsTheFocusedRowAndImportsIntoIt) {
    auto w = opened(&MainWindow::showMelodies);
    auto* box = child<FileNameEdit>(*w, "melodyFileEdit");
    auto* name = child<QPushButton>(*w, "melodyNameButton");
    auto* list = child<QListView>(*w, "melodyList");
    ASSERT_TRUE(box->isVisible());
    EXPECT_TRUE(name->isVisible());
    EXPECT_EQ(box->x(), list->x() + list->width() + 20);
    const int firstTop = box->y();

    selectRow(*w, "melodyList", 2);
    EXPECT_GT(box->y(), firstTop);
    EXPECT_EQ(name->y() - box->y(), 2);
    const QString tune = fileOf("tune.mmf", 1000);
    dialogs.files = {tune};
    box->browseButton()->click();
    QApplication::processEvents();

    EXPECT_EQ(dialogs.titles.last(), "Open melody file");
    EXPECT_EQ(dialogs.filters.last(), "SMAF files|*.mmf");
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
    const QByteArray slot = melodySlot(w->workspace(), 2).value();
    ASSERT_EQ(slot.size(), 3100);
    EXPECT_EQ(slot.left(1000), readAll(tune));
    EXPECT_EQ(slot.mid(1000), QByteArray(2100, '\0'));
    EXPECT_EQ(box->text(), "tune.mmf");
    EXPECT_TRUE(w->workspace().ticks(ListKind::Melodies)[2]);
    EXPECT_FALSE(box->hasFocus());
    // Another row shows its own remembered file, here none.
    selectRow(*w, "melodyList", 1);
    EXPECT_EQ(box->text(), "");
    selectRow(*w, "melodyList", 2);
    EXPECT_EQ(box->text(), "tune.mmf");

    // Models that take DXM files ask for them, and cannot name melodies.
    w->workspace().image().directory.phoneType = 6;
    box->browseButton()->click();
    EXPECT_EQ(dialogs.filters.last(), "DXM files|*.dxm");
    selectRow(*w, "melodyList", 1);
    EXPECT_FALSE(name->isEnabled());
}

TEST_F(EditorTest, AMelodyNamedByAStringShowsThatStringAndKeepsTheName) {
    auto w = opened(&MainWindow::showMelodies);
    EXPECT_EQ(w->panel<MelodyPanel>()->melodyShownText(0), "1 Ring1");  // named by string row 20
    EXPECT_EQ(w->panel<MelodyPanel>()->melodyShownText(3), "4 Old phone");
    selectRow(*w, "melodyList", 3);
    child<QPushButton>(*w, "melodyNameButton")->click();
    auto* chooser = child<QComboBox>(*w, "melodyNameChooser");
    ASSERT_TRUE(chooser->isVisible());
    EXPECT_EQ(chooser->count(), model.strings);
    EXPECT_EQ(chooser->currentIndex(), 0);
    chooser->setCurrentIndex(12);
    emit chooser->activated(12);
    chooser->hidePopup();
    QApplication::processEvents();

    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(w->panel<MelodyPanel>()->melodyShownText(3), "4 OK");
    EXPECT_EQ(rowText(*w, "melodyList", 3), "4 Old phone");  // the row's own text stays
    auto saved = reopened();
    EXPECT_EQ(saved->image().melodies[3].nameString, saved->image().strings[12].id);
}

TEST_F(EditorTest, DoubleClickOpensTheNamingStringOrPlaysTheMelody) {
#ifdef _WIN32
    GTEST_SKIP() << "the stand-in player is a shell script";
#endif
    options.exportFolder = dir.path("my tunes");
    QDir().mkpath(options.exportFolder);
    const QString played = dir.path("played.txt");
    const QString player = dir.path("player.sh");
    // The player writes its argument aside and then renames it, so the test never reads a
    // file that is still being written.
    writeAll(player, QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1.part' && mv '%1.part' '%1'\n")
                         .arg(played).toUtf8());
    QFile::setPermissions(player, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Settings settings;
    settings.player = player;
    ASSERT_TRUE(settings.save(options.settingsPath));
    auto w = opened(&MainWindow::showMelodies);
    auto* list = child<QListView>(*w, "melodyList");
    auto doubleClick = [&](int row) {
        const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    };

    doubleClick(0);
    EXPECT_EQ(w->mode(), Mode::LangPack);
    EXPECT_EQ(child<QListView>(*w, "stringList")->currentIndex().row(), 20);
    EXPECT_EQ(child<QLineEdit>(*w, "stringEdit")->text(), "Ring1");

    w->showMelodies();
    doubleClick(3);  // no naming string: it plays, under the name without its space
    const QString exported = QDir(options.exportFolder).filePath("melody_0003.mmf");
    for (int i = 0; i < 100 && !QFile::exists(played); ++i) QThread::msleep(50);
    ASSERT_TRUE(QFile::exists(played));
    EXPECT_EQ(QString::fromUtf8(readAll(played)), exported);
    EXPECT_EQ(QFileInfo(exported).size(), 4096);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // A player that cannot start says nothing.
    settings.player = dir.path("no such player");
    ASSERT_TRUE(settings.save(options.settingsPath));
    w->settings() = settings;
    child<QToolButton>(*w, "playButton")->click();
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// ---- Operators -----------------------------------------------------------------------------

TEST_F(EditorTest, AnOperatorEditIsStoredWithItsCodeAsHex) {
    const struct {
        const char* typed;
        uint16_t stored;
        const char* shown;
    } cases[] = {{"1f", 0x001F, "1F"}, {"zz", 0, "00"}, {"", 0, "00"}};
    auto w = opened(&MainWindow::showOperators);
    selectRow(*w, "operatorList", 0);
    EXPECT_EQ(child<QLineEdit>(*w, "name1")->text(), "NordTel");
    EXPECT_EQ(child<QLineEdit>(*w, "operatorCodeEdit")->text(), "01");
    EXPECT_EQ(child<QLabel>(*w, "operatorInfoLabel")->text(), "Operator code - 0250-01    RUS");
    for (const auto& c : cases) {
        w->workspace().ticks(ListKind::Operators)[0] = false;
        child<QLineEdit>(*w, "operatorCodeEdit")->setText(c.typed);
        child<QLineEdit>(*w, "name1")->setText("Tele2");
        child<QLineEdit>(*w, "name2")->clear();
        child<QToolButton>(*w, "applyOperatorButton")->click();

        const QString code = QString::fromLatin1(c.shown);
        EXPECT_EQ(rowText(*w, "operatorList", 0), "0250-" + code + " Tele2");
        EXPECT_EQ(child<QLabel>(*w, "operatorInfoLabel")->text(), "Operator code - 0250-" + code + "    RUS");
        EXPECT_EQ(child<QLineEdit>(*w, "operatorCodeEdit")->text(), code);
        EXPECT_TRUE(w->workspace().ticks(ListKind::Operators)[0]);
        // What the data file now holds.
        ASSERT_TRUE(loadOperatorRecords(w->workspace()));
        const OperRecord& r = w->workspace().image().operRecords[0];
        EXPECT_EQ(r.code1, c.stored) << c.typed;
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(r.name1.data()), 6), QByteArray("Tele2\0", 6));
        EXPECT_TRUE(std::all_of(r.name2.begin(), r.name2.end(), [](uint8_t b) { return b == 0; }));
        EXPECT_TRUE(dialogs.messages.isEmpty());
    }
}

// A name the phone cannot hold is refused with the reason, and the operator, its row and its
// tick stay as they were; typing simply stops at the limit.
TEST_F(EditorTest, AnOperatorNameThePhoneCannotHoldIsRefusedAndChangesNothing) {
    const struct {
        const char* field;
        const char* text;
        bool pasted;  // else set by a program
        const char* message;
    } cases[] = {
        {"name1", "\u4E2D\u56FD", false, "Operator name #1 holds characters the phone cannot show: \u4E2D\u56FD"},
        {"name3", "A name of twenty-six chars", true, "Operator name #3 holds at most 17 characters"},
    };
    auto w = opened(&MainWindow::showOperators);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        selectRow(*w, "operatorList", 1);  // the fields show the row afresh
        selectRow(*w, "operatorList", 0);
        ASSERT_TRUE(loadOperatorRecords(w->workspace()));
        QByteArray before;
        before = qvtest::valueOf(w->workspace().readBlob(kOperatorTable, 0));
        const QString row = rowText(*w, "operatorList", 0);
        auto* edit = child<QLineEdit>(*w, c.field);
        edit->selectAll();
        c.pasted ? edit->insert(QString::fromUtf8(c.text)) : edit->setText(QString::fromUtf8(c.text));
        EXPECT_EQ(edit->text(), QString::fromUtf8(c.text));  // a paste is never cut to fit
        child<QLineEdit>(*w, "operatorCodeEdit")->setText("42");
        child<QToolButton>(*w, "applyOperatorButton")->click();

        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages.last(), QString::fromUtf8(c.message));
        dialogs.messages.clear();
        QByteArray after;
        after = qvtest::valueOf(w->workspace().readBlob(kOperatorTable, 0));
        EXPECT_EQ(after, before);
        EXPECT_EQ(rowText(*w, "operatorList", 0), row);
        EXPECT_FALSE(w->workspace().ticks(ListKind::Operators)[0]);
    }
    auto* name1 = child<QLineEdit>(*w, "name1");
    name1->clear();
    name1->setFocus();
    for (QChar c : QString::fromUtf8("Tele2 Mobi\u4E2Dle")) {  // typed one by one, as a keyboard sends them
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(name1, &press);
    }
    EXPECT_EQ(name1->text(), "Tele2 Mobi");
}

// ---- Strings -------------------------------------------------------------------------------

TEST_F(EditorTest, AStringEditWithALineBreakAndAFontPageIsStoredPaddedOnlyByOk) {
    auto w = opened(&MainWindow::showLangPack);
    selectRow(*w, "stringList", 2);
    auto* edit = child<QLineEdit>(*w, "stringEdit");
    auto* pages = child<QComboBox>(*w, "fontPageCombo");
    EXPECT_EQ(edit->text(), QString::fromUtf8("Call¶register"));
    EXPECT_EQ(w->panel<StringPanel>()->lengthCaption->text(), "String length -");
    EXPECT_EQ(w->panel<StringPanel>()->lengthLabel->text(), "13");
    EXPECT_EQ(pages->currentIndex(), 2);
    edit->clear();
    QTest::keyClicks(edit, "Ab");
    child<QPushButton>(*w, "lineBreakButton")->click();
    QTest::keyClicks(edit, "Cd");  // typing goes on after the break
    EXPECT_EQ(edit->text(), QString::fromUtf8("Ab¶Cd"));

    // A page chosen without Ok is forgotten with the rest of the edit.
    pages->setCurrentIndex(1);
    EXPECT_EQ(w->workspace().image().strings[2].fontAttribute, 2);  // the row keeps its font
    EXPECT_FALSE(w->workspace().ticks(ListKind::Strings)[2]);
    selectRow(*w, "stringList", 3);
    selectRow(*w, "stringList", 2);
    EXPECT_EQ(pages->currentIndex(), 2);
    EXPECT_EQ(reopened()->image().strings[2].fontAttribute, 2);

    pages->setCurrentIndex(1);  // the page alone is an edit too
    child<QPushButton>(*w, "applyStringButton")->click();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
    EXPECT_TRUE(w->workspace().ticks(ListKind::Strings)[2]);
    EXPECT_EQ(reopened()->image().strings[2].fontAttribute, 1);

    edit->setText(QString::fromUtf8("H¶i"));
    child<QPushButton>(*w, "applyStringButton")->click();
    EXPECT_EQ(rowText(*w, "stringList", 2), QString::fromUtf8("H¶i"));
    auto saved = reopened();
    EXPECT_EQ(saved->image().strings[2].fontAttribute, 1);
    CharMapCoding coding;
    coding.rebuild(saved->image().charMap);
    EXPECT_EQ(stringOfRow(*saved, coding, 2).value(), QByteArray("H\xB6i") + QByteArray(10, ' '));
}

TEST_F(EditorTest, TypingCannotMakeAStringLongerThanItsLength) {
    auto w = opened(&MainWindow::showLangPack);
    selectRow(*w, "stringList", 11);  // "Back", 4 characters
    auto* edit = child<QLineEdit>(*w, "stringEdit");
    edit->setFocus();
    edit->setCursorPosition(1);
    QTest::keyClicks(edit, "XY");
    EXPECT_EQ(edit->text(), "Back");
    EXPECT_EQ(edit->cursorPosition(), 1);
    child<QPushButton>(*w, "lineBreakButton")->click();  // no room for a line break either
    EXPECT_EQ(edit->text(), "Back");
    edit->clear();
    QTest::keyClicks(edit, "Front");
    EXPECT_EQ(edit->text(), "Fron");
}

TEST_F(EditorTest, SearchSelectsTheFirstStringThatBeginsWithTheText) {
    auto w = opened(&MainWindow::showLangPack);
    auto* search = child<QLineEdit>(*w, "searchEdit");
    auto* list = child<QListView>(*w, "stringList");
    const struct {
        const char* typed;
        int row;  // -1: the selection stays
    } cases[] = {{"Mes", 1}, {"Me", 0}, {"Сооб", 24}, {"ssages", -1}, {"menu", -1}, {"Vol. 5", 38}, {"", 0}};
    for (const auto& c : cases) {
        selectRow(*w, "stringList", 5);
        search->setText(QString::fromUtf8(c.typed));
        const int expected = c.row < 0 ? 5 : c.row;
        EXPECT_EQ(list->currentIndex().row(), expected) << c.typed;
        EXPECT_EQ(child<QLineEdit>(*w, "stringEdit")->text(), rowText(*w, "stringList", expected)) << c.typed;
        // Without a match no row shows as found, and the search says so.
        const QModelIndexList found = list->selectionModel()->selectedIndexes();
        EXPECT_EQ(found.isEmpty() ? -1 : found.first().row(), c.row) << c.typed;
        EXPECT_EQ(w->panel<StringPanel>()->searchStateLabel->text(), c.row < 0 ? "Not found" : "") << c.typed;
    }
}

// ---- Deleting ticked rows ------------------------------------------------------------------

TEST_F(EditorTest, DeleteRemovesTheRowsTickedWithShiftArrowsOnlyAfterYes) {
    auto w = opened();
    for (const ListCase& c : kLists) {
        SCOPED_TRACE(c.list);
        ((*w).*c.mode)();
        auto* list = child<QListView>(*w, c.list);
        ASSERT_TRUE(list->isVisible());
        const int rows = list->model()->rowCount();
        const QString third = rowText(*w, c.list, 3), fifth = rowText(*w, c.list, 5);
        const QImage thumb3 = w->thumbnails().image(3);
        selectRow(*w, c.list, 1);
        QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
        EXPECT_EQ(list->currentIndex().row(), 3);
        const auto& ticks = w->workspace().ticks(c.kind);
        EXPECT_TRUE(ticks[1] && ticks[2] && !ticks[3]);

        dialogs.answers = {false};
        QTest::keyClick(list, Qt::Key_Delete);
        EXPECT_EQ(dialogs.messages.last(), "Do you realy want delete selected items?");
        EXPECT_EQ(list->model()->rowCount(), rows);

        dialogs.answers = {true};
        QTest::keyClick(list, Qt::Key_Delete);
        ASSERT_EQ(list->model()->rowCount(), rows - 2);
        EXPECT_EQ(rowText(*w, c.list, 1), third);
        EXPECT_EQ(list->currentIndex().row(), 3);  // the focus stays where it was
        EXPECT_EQ(rowText(*w, c.list, 3), fifth);
        EXPECT_EQ(std::count(ticks.begin(), ticks.end(), true), 0);
        if (c.kind == ListKind::Pictures) {
            EXPECT_EQ(w->thumbnails().count(), rows - 2);
            EXPECT_EQ(w->thumbnails().image(1), thumb3);
        }
        EXPECT_EQ(reopened()->rowCount(c.kind), rows - 2);  // and saved
    }
}

TEST_F(EditorTest, TheKeypadStarInvertsTheTicksExceptInTheStringList) {
    auto w = opened();
    for (const ListCase& c : kLists) {
        SCOPED_TRACE(c.list);
        ((*w).*c.mode)();
        auto* list = child<QListView>(*w, c.list);
        auto& ticks = w->workspace().ticks(c.kind);
        ticks[0] = true;
        QTest::keyClick(list, Qt::Key_Asterisk, Qt::KeypadModifier);
        const bool inverts = c.kind != ListKind::Strings;
        EXPECT_EQ(ticks[0], !inverts);
        EXPECT_EQ(std::count(ticks.begin(), ticks.end(), true), inverts ? list->model()->rowCount() - 1 : 1);
        // The star of the main keyboard is no command.
        QTest::keyClick(list, Qt::Key_Asterisk);
        EXPECT_EQ(ticks[0], !inverts);
    }
}

TEST_F(EditorTest, DeletingAStringUnnamesItsMelodyAndKeepsTheOthersNamed) {
    auto w = opened(&MainWindow::showLangPack);
    auto* list = child<QListView>(*w, "stringList");
    w->workspace().ticks(ListKind::Strings)[20] = true;  // "Ring1", the name of melody 1
    selectRow(*w, "stringList", 20);
    dialogs.answers = {true};
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(w->panel<MelodyPanel>()->melodyShownText(0), "1 Ring1");  // its own name again
    EXPECT_EQ(w->workspace().image().melodies[0].nameString, 0xFFFF);
    EXPECT_EQ(w->panel<MelodyPanel>()->melodyShownText(1), "2 Morning");
    EXPECT_EQ(w->panel<MelodyPanel>()->melodyShownText(7), "8 Alarm clock");  // string 8 lies before the deleted one
}

}  // namespace

// ---- Texts ---------------------------------------------------------------------------------

TEST_F(EditorTest, EditorControlsTakeTheirTextsFromTheLanguageTable) {
    auto w = window();
    const struct {
        const char* control;
        const char* hint;
        const char* caption;  // nullptr: not checked
    } cases[] = {
        {"importButton", "Import", nullptr},
        {"exportButton", "Export", nullptr},
        {"playButton", "Play", nullptr},
        {"zoomWidth", "Scale X", nullptr},
        {"zoomHeight", "Scale Y", nullptr},
        {"melodyNameButton", "Assign melody name", "..."},
        {"applyOperatorButton", "Confirmation", nullptr},
        {"operatorCodeEdit", "Code of the operator", nullptr},
        {"name1", "The first name of the operator (the maximal length of 10 symbols)", nullptr},
        {"name3", "The third name of the operator (the maximal length of 50 symbols)", nullptr},
        {"stringEdit", "Edit selected string", nullptr},
        {"lineBreakButton", "Insert LineFeed", "\xC2\xB6"},
        {"applyStringButton", "Apply", "Ok"},
        {"transparentLabel", nullptr, "Transparency"},
        {"operatorCodeLabel", nullptr, "Operator code"},
        {"name2Label", nullptr, "Operator name #2"},
        {"stringEditLabel", nullptr, "Edit string"},
        {"searchLabel", nullptr, "Search string"},
    };
    for (const auto& c : cases) {
        auto* widget = child<QWidget>(*w, c.control);
        ASSERT_TRUE(widget) << c.control;
        if (c.hint) {
            EXPECT_EQ(widget->toolTip(), c.hint) << c.control;
        }
        if (!c.caption) continue;
        EXPECT_EQ(widget->property("text").toString(), QString::fromUtf8(c.caption)) << c.control;
    }
    auto* pages = child<QComboBox>(*w, "fontPageCombo");
    ASSERT_EQ(pages->count(), 4);
    EXPECT_EQ(pages->itemText(0), "Normal");
    EXPECT_EQ(pages->itemText(3), "Shrink+Bold");
    EXPECT_EQ(child<FileNameEdit>(*w, "melodyFileEdit")->dialogTitle(), "Open melody file");
}

// ---- Layout --------------------------------------------------------------------------------

// Every mode's controls lie inside the window without covering each other (the preview may
// pass under them). With QV_EDITOR_SHOTS set to a folder, each editor is also saved there as
// editor_<mode>.png.
TEST_F(EditorTest, EachModeKeepsItsControlsInsideTheWindowAndApart) {
    auto w = opened();
    const QString shots = qEnvironmentVariable("QV_EDITOR_SHOTS");
    const struct {
        const char* name;
        void (MainWindow::*mode)();
        const char* list;
        int row;
    } modes[] = {
        {"images", &MainWindow::showImages, "pictureList", 0},
        {"melodies", &MainWindow::showMelodies, "melodyList", 2},
        {"operators", &MainWindow::showOperators, "operatorList", 0},
        {"strings", &MainWindow::showLangPack, "stringList", 2},
        {"restore", &MainWindow::showRestore, nullptr, 0},
    };
    for (const auto& m : modes) {
        SCOPED_TRACE(m.name);
        ((*w).*m.mode)();
        if (m.list) selectRow(*w, m.list, m.row);
        QApplication::processEvents();
        // The window's own controls and those of the panels, each panel a layer over the whole window.
        QList<QWidget*> controls = w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (qobject_cast<ModePanel*>(c)) controls += c->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QList<QWidget*> shown;
        for (QWidget* c : controls)
            if (!qobject_cast<ModePanel*>(c) && c->isVisible() && c->objectName() != "picturePreview" && c->width() > 1 &&
                c->height() > 1)
                shown << c;
        auto placed = [&](QWidget* c) { return QRect(c->mapTo(w.get(), QPoint(0, 0)), c->size()); };
        for (int i = 0; i < shown.size(); ++i) {
            EXPECT_TRUE(w->rect().contains(placed(shown[i]))) << shown[i]->objectName().toStdString();
            for (int j = i + 1; j < shown.size(); ++j)
                EXPECT_FALSE(placed(shown[i]).intersects(placed(shown[j])))
                    << shown[i]->objectName().toStdString() << " and " << shown[j]->objectName().toStdString();
        }
        if (!shots.isEmpty() && m.list) {
            EXPECT_TRUE(w->grab().save(QDir(shots).filePath(QStringLiteral("editor_%1.png").arg(m.name))));
        }
    }
}
