// Glyph codes to text and back.
#include "editors/char_map_coding.h"

#include <gtest/gtest.h>

using namespace qv;

namespace {

CharMap sampleMap() {
    CharMap m;
    m.glyphBase = 0x0100;
    m.glyphCount = 299;
    m.pageGap = 0;
    m.charOfGlyph[33] = 'L';
    m.charOfGlyph[34] = 'a';
    m.lineFeedGlyph = 299;
    return m;
}

TEST(CharMapCoding, PagedLetterEncodesAndDecodes) {
    CharMapCoding c;
    c.rebuild(sampleMap());
    const QByteArray code = c.encode("L", 1);
    EXPECT_EQ(code, QByteArray("\x4D\x02", 2));  // 0x0100 + 300 + 33
    EXPECT_EQ(c.decode(code), QByteArray("L"));
    EXPECT_EQ(c.encode("La", 0), QByteArray("\x21\x01\x22\x01", 4));
}

TEST(CharMapCoding, LineBreakIsTheSameGlyphInEveryPage) {
    CharMapCoding c;
    c.rebuild(sampleMap());
    for (int page = 0; page < kFontPages; ++page) {
        const QByteArray code = c.encode(QByteArray(1, char(kLineBreakChar)), page);
        EXPECT_EQ(code, QByteArray("\x2B\x02", 2)) << page;  // 0x0100 + 299
        EXPECT_EQ(uint8_t(c.decode(code)[0]), kLineBreakChar);
    }
}

TEST(CharMapCoding, LaterPositionWinsAndOldEntriesStay) {
    CharMap m = sampleMap();
    m.charOfGlyph[50] = 'L';
    CharMapCoding c;
    c.rebuild(m);
    EXPECT_EQ(c.encode("L", 0), QByteArray("\x32\x01", 2));

    // A second map that no longer has 'a' still encodes it from the first map.
    CharMap second = m;
    second.charOfGlyph[34] = 0;
    second.glyphBase = 0;
    c.rebuild(second);
    EXPECT_EQ(c.encode("a", 0), QByteArray("\x22\x00", 2));
    // Unknown characters encode as the table's zero plus the base.
    EXPECT_EQ(c.encode("?", 2), QByteArray(2, '\0'));
}

TEST(CharMapCoding, WidePagesAndWildCodesStayInsideTheTables) {
    CharMap m = sampleMap();
    m.pageGap = 1;  // stride 301: six pages reach 5 * 301 + 299 = 1804
    m.charOfGlyph[299] = 'z';
    m.lineFeedGlyph = 0xFFFF;
    CharMapCoding c;
    c.rebuild(m);
    const QByteArray code = c.encode("z", 5);
    EXPECT_EQ(code, QByteArray("\x0C\x08", 2));  // 0x0100 + 1804 = 0x080C
    EXPECT_EQ(c.decode(code), QByteArray("z"));
    EXPECT_EQ(uint8_t(c.decode(QByteArray("\xFF\x00", 2))[0]), kLineBreakChar);  // 0x00FF - 0x0100 = 0xFFFF
    m.pageGap = 0xFFFF;  // the stride wraps in 16 bits
    c.rebuild(m);
    EXPECT_EQ(c.decode(QByteArray("\xFF\xFF\x00\x00", 4)).size(), 2);
}

}  // namespace

#include "editors/list_texts.h"

namespace {

TEST(ListTexts, RowsReadAsTheListsShowThem) {
    OperRecord r;
    r.code0 = 0x0250;
    r.code1 = 0x0001;
    r.name1 = {'A', 'B', 'C'};
    EXPECT_EQ(operatorRowText(r), "0250-01 ABC");
    r.code1 = 0x1F2E;  // only the low byte of the second code word shows
    r.name1.fill('x');
    EXPECT_EQ(operatorRowText(r), "0250-2E xxxxxxxxxxx");  // at most 11 characters of the name
    MelEntry m;
    m.name = {5, 'R', 'i', 'n', 'g', '1'};
    EXPECT_EQ(melodyRowText(0, m), "1 Ring1");
    PictEntry p;
    p.width = 128;
    p.height = 160;
    EXPECT_EQ(pictureRowText(p), "128x160");
}

}  // namespace
