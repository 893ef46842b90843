// Whole lists at once on the demo model: strings through a PO file, pictures and melodies
// through a folder. Round trips change no byte; refused batches leave the pair as it was.
#include "base/cp1251.h"
#include "editors/demo_workspace.h"
#include "editors/bmp_file.h"
#include "editors/bulk_operations.h"
#include "editors/char_map_coding.h"
#include "editors/edit_operations.h"
#include "editors/item_views.h"
#include "editors/po_file.h"
#include "editors/picture_codec.h"
#include "editors/picture_import.h"
#include "files/flash_dump_source.h"
#include "support/test_support.h"

#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;

namespace {

class BulkTest : public DemoWorkspaceTest {
protected:
    bool noTicks(ListKind kind) {
        const auto& t = ws.ticks(kind);
        return std::none_of(t.begin(), t.end(), [](bool b) { return b; });
    }
    // The exported PO file with `translate` filling the translations.
    QByteArray translatedPo(const std::function<QString(int row, const PoEntry&)>& translate) {
        const auto po = stringsPo(ws, {});
        EXPECT_TRUE(po);
        const auto cat = parsePo(*po);
        EXPECT_TRUE(cat);
        std::vector<PoEntry> entries = cat->entries;
        for (PoEntry& e : entries) e.translation = translate(e.context->toInt(), e);
        return writePo({}, {{"Content-Type", "text/plain; charset=UTF-8"}}, entries);
    }
};

TEST_F(BulkTest, StringsRoundTripChangesNoByte) {
    ASSERT_TRUE(exportStrings(ws, dir.path("s.po")).status.ok());
    for (const QByteArray& po : {readAll(dir.path("s.po")),  // nothing translated
                                 translatedPo([](int, const PoEntry& e) { return e.id; })}) {  // every text as it is
        const BulkResult r = importStringsFrom(ws, po, "s.po", BulkMode::AllOrNothing);
        ASSERT_TRUE(r.status.ok()) << r.status.message().toStdString();
        EXPECT_TRUE(r.rows.empty());
        EXPECT_TRUE(r.problems.empty());
    }
    EXPECT_TRUE(pairUnchanged());
    EXPECT_TRUE(noTicks(ListKind::Strings));
}

TEST_F(BulkTest, CyrillicTranslationOfEveryString) {
    const QString letters = QString::fromUtf8("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюяЁё");
    std::map<int, QString> wanted;
    const QByteArray po = translatedPo([&](int row, const PoEntry&) {
        const int length = ws.image().strings[size_t(row)].length;
        QString t;
        for (int i = 0; i < length; ++i) t += letters[(row * 7 + i) % letters.size()];
        if (length >= 3) t[length / 2] = QLatin1Char('\n');
        return wanted[row] = t;
    });
    const BulkResult r = importStringsFrom(ws, po, "ru.po", BulkMode::AllOrNothing);
    ASSERT_TRUE(r.status.ok()) << r.status.message().toStdString();
    EXPECT_TRUE(r.problems.empty());
    ASSERT_EQ(int(r.rows.size()), ws.rowCount(ListKind::Strings));
    for (int row : r.rows) EXPECT_TRUE(ws.ticks(ListKind::Strings)[size_t(row)]);

    // The pair on the disk holds the translations, each as the phone shows it.
    Workspace reopened;
    ASSERT_TRUE(reopened.open(model.tableFile).ok());
    CharMapCoding coding;
    coding.rebuild(reopened.image().charMap);
    for (const auto& [row, t] : wanted) {
        const auto text = stringOfRow(reopened, coding, row);
        ASSERT_TRUE(text);
        QString shown = fromCp1251(*text);
        shown.replace(QChar(kLineBreakChar), QLatin1Char('\n'));
        EXPECT_EQ(shown, t) << row;
    }
}

TEST_F(BulkTest, RefusedStringsLeaveThePairAsItWas) {
    const QByteArray good = "msgctxt \"1\"\nmsgid \"Messages\"\nmsgstr \"Inbox\"\n\n";
    const struct {
        QByteArray entry;
        int row;
        const char* reason;
    } cases[] = {
        {"msgctxt \"0\"\nmsgid \"Menu\"\nmsgstr \"Main menu\"\n", 0, "the text has 9 characters; this string holds 4"},
        {"msgctxt \"3\"\nmsgid \"Contacts\"\nmsgstr \"\xe6\x97\xa5\"\n", 3, "the phone can not show the character \"\xe6\x97\xa5\" (U+65E5)"},
        {"msgctxt \"3\"\nmsgid \"Contacts\"\nmsgstr \"\xf0\x9f\x98\x80\"\n", 3, "the character \"\xf0\x9f\x98\x80\" (U+1F600)"},
        {"msgctxt \"4\"\nmsgid \"Settings\"\nmsgstr \"$5\"\n", 4, "the phone's font has no character \"$\""},
        {"msgctxt \"999\"\nmsgid \"\"\nmsgstr \"x\"\n", -1, "names no string row"},
        {"msgctxt \"05\"\nmsgid \"\"\nmsgstr \"x\"\n", -1, "names no string row"},
        {"msgctxt \"0\\n\\x1b[2J\"\nmsgid \"\"\nmsgstr \"x\"\n", -1, "msgctxt \"0\\n\\x1b[2J\" names no string row"},
        {"msgid \"Menu\"\nmsgstr \"x\"\n", -1, "has no msgctxt"},
        {"msgctxt \"6\"\nmsgid \"a\"\nmsgid_plural \"b\"\nmsgstr[0] \"x\"\n", 6, "no plural forms"},
        {"msgctxt \"7\"\nmsgid \"a\"\nmsgstr \"x\"\n\nmsgctxt \"7\"\nmsgid \"a\"\nmsgstr \"y\"\n", 7, "row 7 has 2 entries"},
        // A file made before the rows moved: its entry for row 3 translates what stood there then.
        {"msgctxt \"3\"\nmsgid \"Call\\nregister\"\nmsgstr \"Log\"\n", 3, "row 3 now reads \"Contacts\"; the file translates \"Call\\nregister\""},
        {"msgctxt \"4\"\nmsgid \"\"\nmsgstr \"Setup\"\n", 4, "row 4 now reads \"Settings\"; the file translates \"\""},
        // The phone ends a text at its first zero, however the file writes it.
        {"msgctxt \"4\"\nmsgid \"Settings\"\nmsgstr \"Set\\0up\"\n", 4, "can not hold the character U+0000 (NUL)"},
        {"msgctxt \"4\"\nmsgid \"Settings\"\nmsgstr \"Set\\x00up\"\n", 4, "can not hold the character U+0000 (NUL)"},
        {QByteArray("msgctxt \"4\"\nmsgid \"Settings\"\nmsgstr \"Set\0up\"\n", 45), 4, "can not hold the character U+0000 (NUL)"},
    };
    for (const auto& c : cases) {
        const BulkResult none = importStringsFrom(ws, good + c.entry, "t.po", BulkMode::AllOrNothing);
        ASSERT_FALSE(none.problems.empty()) << c.entry.constData();
        EXPECT_EQ(none.problems[0].row, c.row);
        EXPECT_TRUE(none.problems[0].reason.contains(QString::fromUtf8(c.reason))) << none.problems[0].reason.toStdString();
        EXPECT_TRUE(none.problems[0].file.startsWith("t.po:"));
        EXPECT_TRUE(none.rows.empty());
        EXPECT_TRUE(pairUnchanged()) << c.entry.constData();
        EXPECT_TRUE(noTicks(ListKind::Strings));
    }
    // A file that cannot be read is refused whole, even when the rest may be applied.
    const BulkResult broken = importStringsFrom(ws, good + "msgctxt \"2\"\nmsgid \"x\n", "t.po", BulkMode::SkipInvalid);
    ASSERT_EQ(broken.problems.size(), 1u);
    EXPECT_EQ(broken.problems[0].file, "t.po:6");
    EXPECT_TRUE(pairUnchanged());

    // The rest goes in when asked: only the good row changes, in one save.
    const BulkResult some = importStringsFrom(ws, good + cases[0].entry, "t.po", BulkMode::SkipInvalid);
    EXPECT_EQ(some.rows, std::vector<int>{1});
    EXPECT_EQ(some.problems.size(), 1u);
    EXPECT_TRUE(ws.ticks(ListKind::Strings)[1]);
    EXPECT_FALSE(ws.ticks(ListKind::Strings)[0]);
}

TEST_F(BulkTest, AHostileFileListsAHundredRefusalsAndCountsTheRest) {
    QByteArray po;
    for (int i = 0; i < 1100; ++i) po += "msgctxt \"9" + QByteArray::number(i) + "\"\nmsgid \"\"\nmsgstr \"x\"\n\n";
    const BulkResult r = importStringsFrom(ws, po, "t.po", BulkMode::SkipInvalid);
    EXPECT_EQ(r.problems.size(), 100u);
    EXPECT_EQ(r.problems.total(), 1100);
    const QStringList lines = problemLines(r.problems);
    ASSERT_EQ(lines.size(), 101);
    EXPECT_EQ(lines.last(), QString::fromUtf8("\u2026 and 1,000 more refused"));
    EXPECT_TRUE(pairUnchanged());

    // A reason that names its file already is not given the file again.
    BulkProblems named;
    named.push_back({12, "p/1.png", "\"p/1.png\": The image can not be read: Read Error."});
    named.push_back({3, "m/3.mmf", "can not open the file: denied"});
    named.push_back({-1, "d.mru", "Can not write d.mru: denied"});
    EXPECT_EQ(problemLines(named), (QStringList{"row 12: p/1.png: The image can not be read: Read Error.",
                                                "row 3: m/3.mmf: can not open the file: denied", "Can not write d.mru: denied"}));
}

TEST_F(BulkTest, PaddingFuzzyAndUntouchedEntries) {
    const QByteArray po = "msgctxt \"0\"\nmsgid \"Menu \"\nmsgstr \"Top     \"\n\n"  // spaces past the limit are padding
                          "#, fuzzy\nmsgctxt \"1\"\nmsgid \"Inbox\"\nmsgstr \"Post\"\n\n"   // not yet agreed, nor checked
                          "msgctxt \"2\"\nmsgid \"Call\xc2\xb6register\"\nmsgstr \"Call\xc2\xb6log\"\n";  // "¶" is the line break too
    const BulkResult r = importStringsFrom(ws, po, "t.po", BulkMode::AllOrNothing);
    ASSERT_TRUE(r.problems.empty()) << r.problems[0].reason.toStdString();
    EXPECT_EQ(r.rows, (std::vector<int>{0, 2}));
    EXPECT_EQ(r.fuzzy, std::vector<int>{1});
    CharMapCoding coding;
    coding.rebuild(ws.image().charMap);
    EXPECT_EQ(stringOfRow(ws, coding, 0).value(), "Top ");
    EXPECT_EQ(stringOfRow(ws, coding, 2).value(), QByteArray("Call\xb6" "log     "));
}

int firstPicture(Workspace& ws, uint8_t format, uint8_t variant) {
    for (int i = 0; i < ws.rowCount(ListKind::Pictures); ++i)
        if (ws.image().pictures[size_t(i)].format == format && ws.image().pictures[size_t(i)].variant == variant) return i;
    return -1;
}

TEST_F(BulkTest, ImageDepthStandsForThePixelFormat) {
    QImage rgb(4, 2, QImage::Format_RGB32);
    rgb.fill(qRgb(10, 20, 30));
    auto indexed = [&](int colours) {
        QImage i(4, 2, QImage::Format_Indexed8);
        QList<QRgb> table;
        for (int k = 0; k < colours; ++k) table << qRgb(k, k, k);
        i.setColorTable(table);
        i.fill(0);
        return i;
    };
    QImage clear(4, 2, QImage::Format_ARGB32);
    clear.fill(qRgba(0, 0, 0, 0));
    const struct {
        QImage image;
        int bits;
    } cases[] = {
        {rgb.convertToFormat(QImage::Format_Mono), 1}, {indexed(2), 1}, {indexed(3), 4}, {indexed(16), 4},
        {indexed(17), 8}, {indexed(256), 8}, {rgb, 24}, {rgb.convertToFormat(QImage::Format_Grayscale8), 24},
        {rgb.convertToFormat(QImage::Format_RGB16), 24}, {clear, 24},
    };
    for (const auto& c : cases) {
        const auto b = bitmapFromImage(c.image);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->bitsPerPixel, c.bits) << c.image.format() << " " << c.image.colorCount();
    }
    EXPECT_EQ(bitmapFromImage(clear)->pixel(0, 0), qRgb(255, 255, 255));  // see-through reads as white
    EXPECT_FALSE(readImage(QByteArray("not an image at all")));
}

TEST_F(BulkTest, PictureFoldersRoundTripAndChange) {
    for (auto type : {PictureFileType::Png, PictureFileType::Bmp}) {
        const QString folder = dir.path(type == PictureFileType::Png ? "png" : "bmp");
        const BulkResult out = exportPictures(ws, folder, type);
        ASSERT_TRUE(out.status.ok()) << out.status.message().toStdString();
        ASSERT_EQ(int(out.files.size()), ws.rowCount(ListKind::Pictures));
        EXPECT_TRUE(out.files[0].endsWith(type == PictureFileType::Png ? "/00000_128x160.png" : "/00000_128x160.bmp"));
        const BulkResult in = importPictures(ws, folder, BulkMode::AllOrNothing);
        EXPECT_TRUE(in.problems.empty()) << in.problems[0].reason.toStdString();
        EXPECT_TRUE(in.rows.empty());
        EXPECT_EQ(in.unchanged, ws.rowCount(ListKind::Pictures));
    }
    EXPECT_TRUE(pairUnchanged());

    // One real change and one picture of the wrong size: all or nothing, or the rest.
    const QString folder = dir.path("png");
    const int row = firstPicture(ws, 4, 0);
    const QString changed = QDir(folder).filePath(pictureFileName(ws, row, PictureFileType::Png));
    QImage edited(changed);
    edited.setPixel(5, 5, qRgb(0, 0, 255));
    ASSERT_TRUE(edited.save(changed));
    const int other = firstPicture(ws, 3, 0);
    const QString wrongSize = QDir(folder).filePath(pictureFileName(ws, other, PictureFileType::Png));
    ASSERT_TRUE(QImage(10, 10, QImage::Format_RGB32).save(wrongSize));
    writeAll(QDir(folder).filePath("notes.txt"), "no number, not read");

    BulkResult r = importPictures(ws, folder, BulkMode::AllOrNothing);
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_EQ(r.problems[0].row, other);
    EXPECT_TRUE(r.rows.empty());
    EXPECT_TRUE(pairUnchanged());
    EXPECT_TRUE(noTicks(ListKind::Pictures));

    r = importPictures(ws, folder, BulkMode::SkipInvalid);
    EXPECT_EQ(r.rows, std::vector<int>{row});
    EXPECT_TRUE(ws.ticks(ListKind::Pictures)[size_t(row)]);
    const QByteArray bulk = blob(kPictureTable, row);
    ASSERT_TRUE(importPicture(ws, row, changed).ok());  // the same bytes as the single import
    EXPECT_EQ(blob(kPictureTable, row), bulk);
}

TEST_F(BulkTest, FolderProblemsAreListed) {
    const QString folder = dir.path("in");
    ASSERT_TRUE(exportPictures(ws, folder, PictureFileType::Png).status.ok());
    const int rows = ws.rowCount(ListKind::Pictures);
    writeAll(QDir(folder).filePath(QStringLiteral("%1_extra.png").arg(rows)), "x");
    writeAll(QDir(folder).filePath("99999999999999999999.png"), "x");
    writeAll(QDir(folder).filePath("3.bmp"), "x");  // a second file for row 3
    writeAll(QDir(folder).filePath("00004_96x64.png"), "damaged");
    const int mono = firstPicture(ws, 0, 0);  // no import offered for row-order mono
    QImage other(QDir(folder).filePath(pictureFileName(ws, mono, PictureFileType::Png)));
    other.invertPixels();
    ASSERT_TRUE(other.save(QDir(folder).filePath(pictureFileName(ws, mono, PictureFileType::Png))));
    // One pixel narrower, one pixel taller: another size either way.
    std::vector<int> offSize;
    for (int row = 5; offSize.size() < 2; ++row)
        if (row != mono && pictureImportOffered(ws.image().pictures[size_t(row)])) offSize.push_back(row);
    for (size_t k = 0; k < 2; ++k) {
        const PictEntry& e = ws.image().pictures[size_t(offSize[k])];
        const QString file = QDir(folder).filePath(pictureFileName(ws, offSize[k], PictureFileType::Png));
        ASSERT_TRUE(QImage(file).copy(0, 0, e.width - (k == 0), e.height + (k == 1)).save(file));
    }

    const BulkResult r = importPictures(ws, folder, BulkMode::SkipInvalid);
    std::multiset<int> rowsNamed;
    for (const BulkProblem& p : r.problems) {
        rowsNamed.insert(p.row);
        if (p.row == offSize[0] || p.row == offSize[1]) {
            EXPECT_TRUE(p.reason.startsWith("the image is ")) << p.reason.toStdString();
        }
    }
    EXPECT_EQ(rowsNamed, (std::multiset<int>{-1, -1, 3, 3, 4, mono, offSize[0], offSize[1]}));
    EXPECT_TRUE(r.rows.empty());
    EXPECT_TRUE(pairUnchanged());
    EXPECT_FALSE(importPictures(ws, dir.path("missing"), BulkMode::SkipInvalid).status.ok());
}

TEST_F(BulkTest, MelodyFoldersRoundTripPadAndRefuse) {
    const QString folder = dir.path("mel");
    const BulkResult out = exportMelodies(ws, folder);
    ASSERT_TRUE(out.status.ok());
    EXPECT_TRUE(out.files[0].endsWith("/00000_Ring1.mmf"));
    EXPECT_EQ(importMelodies(ws, folder, BulkMode::AllOrNothing).unchanged, ws.rowCount(ListKind::Melodies));
    EXPECT_TRUE(pairUnchanged());

    const QString shorter = out.files[3];  // a 4,096-byte slot
    writeAll(shorter, QByteArray(3000, '\x42'));
    writeAll(out.files[5], QByteArray(int(ws.image().melodies[5].size) + 1, '\x01'));
    BulkResult r = importMelodies(ws, folder, BulkMode::AllOrNothing);
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_EQ(r.problems[0].row, 5);
    EXPECT_TRUE(pairUnchanged());
    EXPECT_TRUE(noTicks(ListKind::Melodies));

    r = importMelodies(ws, folder, BulkMode::SkipInvalid);
    EXPECT_EQ(r.rows, std::vector<int>{3});
    EXPECT_EQ(blob(kMelodyTable, 3), QByteArray(3000, '\x42') + QByteArray(1096, '\0'));
    EXPECT_TRUE(ws.ticks(ListKind::Melodies)[3]);
    EXPECT_EQ(loadMelodyFileNames(ws.names().mru)[3], QFileInfo(shorter).absoluteFilePath());
}

}  // namespace
