// The media image's records and blocks: exact byte layout and the operator packing rules.
#include "image/byte_order.h"
#include "image/media_image.h"

#include <gtest/gtest.h>

using namespace qv;

namespace {

TEST(MediaImage, StoredSizesOfEveryTable) {
    const std::pair<int, int> sizes[] = {{1, 300020}, {2, 20040}, {3, 11216}, {4, 14343}, {5, 2064},
                                         {6, 4112},   {7, 4112},  {8, 360024}, {9, 28}};
    MediaImage m;
    for (auto [id, size] : sizes) {
        EXPECT_EQ(storedTableSize(id), size) << id;
        EXPECT_EQ(m.tableBlock(id).size(), size) << id;
    }
}

TEST(MediaImage, RecordsLandOnTheirDocumentedOffsets) {
    MediaImage m;
    m.pictures[1] = PictEntry{0x0102, 0x0304, 7, 1, {9, 9}, 0x01ABCDEF, 0x1234, 0xCAFEBABE};
    m.strings[0].id = 0x0A0B;
    m.strings[0].fontAttribute = 3;
    m.strings[0].length = 0x0C0D;
    m.strings[0].address = 0x11223344;
    m.strings[0].memOffset = 0x55667788;
    m.strings[0].size = 0x99AA;
    m.charMap.glyphBase = 0x0100;
    m.charMap.pageGap = 0x00010203;
    m.charMap.charOfGlyph[0] = 'A';
    m.charMap.charOfGlyph[299] = 'Z';
    m.charMap.glyphCount = 299;
    m.charMap.lineFeedGlyph = 0x1234;
    m.operFormat.name2Length = 0x3344;
    m.operFormat.recordSize = 0x56;

    const QByteArray pict = m.tableBlock(kPictureTable);
    const auto* p = reinterpret_cast<const uint8_t*>(pict.constData()) + 20;
    EXPECT_EQ(getU16(p), 0x0102);
    EXPECT_EQ(getU16(p + 2), 0x0304);
    EXPECT_EQ(p[4], 7);
    EXPECT_EQ(p[5], 1);
    EXPECT_EQ(getU32(p + 8), 0x01ABCDEFu);
    EXPECT_EQ(getU32(p + 12), 0x1234u);
    EXPECT_EQ(getU32(p + 16), 0xCAFEBABEu);

    const QByteArray str = m.tableBlock(kStringTable);
    const auto* s = reinterpret_cast<const uint8_t*>(str.constData());
    EXPECT_EQ(getU16(s), 0x0A0B);
    EXPECT_EQ(s[2], 3);
    EXPECT_EQ(getU16(s + 4), 0x0C0D);
    EXPECT_EQ(getU32(s + 8), 0x11223344u);
    EXPECT_EQ(getU32(s + 12), 0x55667788u);
    EXPECT_EQ(getU16(s + 20), 0x99AA);

    const QByteArray map = m.tableBlock(kCharMapTable);
    const auto* c = reinterpret_cast<const uint8_t*>(map.constData());
    EXPECT_EQ(getU16(c + 10), 0x0100);
    EXPECT_EQ(getU32(c + 12), 0x00010203u);
    EXPECT_EQ(c[26], 'A');
    EXPECT_EQ(c[325], 'Z');
    EXPECT_EQ(getU16(c + 538), 299);
    EXPECT_EQ(getU16(c + 540), 0x1234);

    const QByteArray fmt = m.tableBlock(kOperatorFormatTable);
    EXPECT_EQ(getU16(reinterpret_cast<const uint8_t*>(fmt.constData()) + 16), 0x3344);
    EXPECT_EQ(uint8_t(fmt[23]), 0x56);
}

TEST(MediaImage, EveryBlockSurvivesARoundTrip) {
    MediaImage a;
    for (int id = 1; id <= 9; ++id) {
        QByteArray bytes = a.tableBlock(id);
        for (int i = 0; i < bytes.size(); ++i) bytes[i] = char((i * 131 + id) & 0xFF);
        ASSERT_TRUE(a.loadTableBlock(id, bytes).ok());
        if (id != kAux6Table)  // block 6 is also overlaid by the character map block
            EXPECT_EQ(a.tableBlock(id), bytes) << id;
    }
    MediaImage b;
    for (int id : kSectionOrder) ASSERT_TRUE(b.loadTableBlock(id, a.tableBlock(id)).ok());
    for (int id = 1; id <= 9; ++id) EXPECT_EQ(b.tableBlock(id), a.tableBlock(id)) << id;
}

TEST(MediaImage, ShortSectionsKeepTheRestAndLongOnesAreRefused) {
    MediaImage m;
    m.melodies[1].size = 77;
    ASSERT_TRUE(m.loadTableBlock(kMelodyTable, QByteArray(40, '\x01')).ok());
    EXPECT_EQ(m.melodies[0].size, 0x01010101u);
    EXPECT_EQ(m.melodies[1].size, 77u);
    EXPECT_FALSE(m.loadTableBlock(kMelodyTable, QByteArray(20041, '\0')).ok());
    // The character map may run on over the whole of block 6, no further.
    EXPECT_TRUE(m.loadTableBlock(kCharMapTable, QByteArray(548 + 4112, '\x02')).ok());
    EXPECT_EQ(m.aux6[4111], 2);
    EXPECT_FALSE(m.loadTableBlock(kCharMapTable, QByteArray(548 + 4113, '\0')).ok());
}

TEST(MediaImage, OperatorRecordsPackAndUnpackByTheFormat) {
    OperFormat f;
    f.recordSize = 30;
    f.name1Offset = 4, f.name1Length = 6;
    f.name2Offset = 10, f.name2Length = 8;
    f.name3Offset = 18, f.name3Length = 12;
    OperRecord r;
    r.code0 = 0x0250;
    r.code1 = 0x0301;
    for (int i = 0; i < 30; ++i) r.name1[size_t(i)] = uint8_t('a' + i % 26);
    r.name2[0] = 'X';
    r.name3[11] = 'Q';
    const QByteArray packed = packOperatorRecord(r, f);
    ASSERT_EQ(packed.size(), 30);
    EXPECT_EQ(packed.left(4), QByteArray("\x50\x02\x01\x03", 4));
    EXPECT_EQ(packed.mid(4, 6), QByteArray("abcdef"));
    EXPECT_EQ(packed[10], 'X');
    EXPECT_EQ(packed[29], 'Q');

    const OperRecord back = unpackOperatorRecord(packed, f);
    EXPECT_EQ(back.code0, 0x0250);
    EXPECT_EQ(back.code1, 0x0301);
    EXPECT_EQ(back.name1[5], 'f');
    EXPECT_EQ(back.name1[6], 0);  // zero past the format's length
    EXPECT_EQ(back.name3[11], 'Q');

    // A name placed past the record's end is cut, never written out of bounds.
    f.name3Offset = 25;
    EXPECT_EQ(packOperatorRecord(r, f).size(), 30);
    EXPECT_EQ(unpackOperatorRecord(packed, f).name3[6], 0);
}

TEST(MediaImage, ModelFlags) {
    MediaImage m;
    for (uint16_t t : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}) {
        m.directory.phoneType = t;
        EXPECT_EQ(m.isReversedOrderModel(), t == 4 || t == 6 || t == 8) << t;
        EXPECT_EQ(m.needsSecondDump(), t == 3 || t == 4 || t == 5 || t == 6 || t == 8) << t;
    }
}

}  // namespace
