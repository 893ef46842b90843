// Edits that are refused, or whose save fails, change nothing and say so by their result, not
// by their text; names that would reach a device are never used for an export.
#include "base/ini_file.h"
#include "base/language_table.h"
#include "editors/demo_workspace.h"
#include "editors/bmp_file.h"
#include "editors/edit_operations.h"
#include "editors/list_texts.h"
#include "editors/picture_codec.h"
#include "files/flash_dump_source.h"
#include "support/test_support.h"

#include <QImage>
#include <QLocale>
#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;

namespace {

class EditRefusals : public DemoWorkspaceTest {
protected:
    void TearDown() override { languageTable().loadDefaults(); }
    QString bitmapOf(int row) {
        const QString path = dir.path(QStringLiteral("p%1.bmp").arg(row));
        EXPECT_TRUE(exportPicture24(ws, row, path).ok());
        return path;
    }
};

TEST_F(EditRefusals, APictureOfAnotherSizeOrTooLargeForItsPlaceChangesNothing) {
    auto firstOfFormat = [&](uint8_t format) {
        for (int row = 0;; ++row)
            if (ws.image().pictures[size_t(row)].format == format) return row;
    };
    const int wide = firstOfFormat(kFormatRgb565), runs = firstOfFormat(kFormatRunLength565);
    QImage small(100, 100, QImage::Format_RGB32);
    small.fill(Qt::white);
    // Neighbours that all differ, each red enough to start a literal: two bytes a pixel.
    const PictEntry& e = ws.image().pictures[size_t(runs)];
    QImage noise(e.width, e.height, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) noise.setPixel(x, y, qRgb(128 + x * 37 % 128, y * 91 % 256, 0));
    const struct {
        int row;
        QImage image;
        ResultCode code;
        QString message;
    } cases[] = {
        {wide, small, ResultCode::Refused, "the image is 100x100, the picture 128x160"},
        {runs, noise, ResultCode::TooLarge, QStringLiteral("this picture needs %1 bytes in its format; its place holds %2")
                          .arg(QLocale(QLocale::English).toString(2 * e.width * e.height),
                               QLocale(QLocale::English).toString(e.size))},
    };
    for (const auto& c : cases) {
        const QString path = dir.path("refused.bmp");
        ASSERT_TRUE(writeBmp24File(c.image, path));
        const QByteArray before = blob(kPictureTable, c.row);
        const Result refused = importPicture(ws, c.row, path);
        EXPECT_EQ(refused.code(), c.code);
        EXPECT_EQ(refused.message(), c.message);
        EXPECT_FALSE(ws.ticks(ListKind::Pictures)[size_t(c.row)]);
        EXPECT_EQ(blob(kPictureTable, c.row), before);
        EXPECT_TRUE(pairUnchanged());
    }
}

TEST_F(EditRefusals, AnEditWhoseSaveFailsIsNotStoredNorTicked) {
    const int row = 1;
    const QString bitmap = bitmapOf(row);
    QImage changed(bitmap);
    changed.invertPixels();
    ASSERT_TRUE(writeBmp24File(changed, bitmap));
    ws.setRewriteFaultHook([](RewriteStep at) { return at == RewriteStep::SwapData ? FaultKind::Fail : FaultKind::None; });

    EXPECT_FALSE(importPicture(ws, row, bitmap).ok());
    EXPECT_FALSE(ws.ticks(ListKind::Pictures)[size_t(row)]);

    CharMapCoding coding;
    coding.rebuild(ws.image().charMap);
    const uint8_t page = ws.image().strings[2].fontAttribute;
    EXPECT_FALSE(applyString(ws, coding, 2, "AB", page == 1 ? 2 : 1).ok());
    EXPECT_EQ(ws.image().strings[2].fontAttribute, page);
    EXPECT_FALSE(ws.ticks(ListKind::Strings)[2]);

    EXPECT_FALSE(deleteRows(ws, ListKind::Melodies, {0}).ok());
    EXPECT_EQ(ws.rowCount(ListKind::Melodies), int(model.melodies));
    EXPECT_TRUE(pairUnchanged());
}

TEST_F(EditRefusals, MelodyNamesThatAreWindowsDevicesTakeTheFallback) {
    std::vector<QString> strings(size_t(ws.rowCount(ListKind::Strings)));
    ws.image().melodies[3].nameString = 4;
    for (const char* device : {"CON", "nul", "Aux.txt", "COM1", "lpt9", "PRN"}) {
        strings[4] = device;
        EXPECT_EQ(melodyExportName(ws, 3, strings), "melody_0003.mmf") << device;
    }
    for (const char* fine : {"Comet", "COM", "Console", "NULL"}) {
        strings[4] = fine;
        EXPECT_EQ(melodyExportName(ws, 3, strings), QString(fine) + ".mmf") << fine;
    }
}

}  // namespace

namespace {

TEST_F(EditRefusals, AnOperatorNameFromThePhoneStaysWholeUntilTheUserWritesANewOne) {
    // The phone stored a first name of 30 characters where the format allows 10.
    QByteArray record = blob(kOperatorTable, 2);
    const QByteArray longName(30, 'Q');
    record.replace(4, 30, longName);
    ASSERT_TRUE(ws.writeBlob(kOperatorTable, 2, record).ok());
    ASSERT_TRUE(loadOperatorRecords(ws).ok());
    ASSERT_EQ(ws.image().operFormat.name1Length, 10);
    const OperRecord& r = ws.image().operRecords[2];
    const QByteArray name2 = nameUpToZero(r.name2.data(), r.name2.size()), name3 = nameUpToZero(r.name3.data(), r.name3.size());

    ASSERT_TRUE(applyOperator(ws, 2, "07", longName, name2, name3).ok());  // passed as stored: kept
    EXPECT_EQ(blob(kOperatorTable, 2), QByteArray(record).replace(2, 2, QByteArray("\x07\0", 2)));
    const Result cut = applyOperator(ws, 2, "01", longName.left(11), name2, name3);
    EXPECT_EQ(cut.code(), ResultCode::TooLarge);
    EXPECT_EQ(cut.message(), "Operator name #1 holds at most 10 characters");
    ASSERT_TRUE(applyOperator(ws, 2, "01", longName.left(10), name2, name3).ok());
    EXPECT_EQ(blob(kOperatorTable, 2).mid(4, 30), longName.left(10) + QByteArray(20, '\0'));
}

}  // namespace
