#include "base/cp1251.h"

#include <QStringDecoder>
#include <gtest/gtest.h>

namespace {

TEST(Cp1251, EveryByteRoundTrips) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(char(b));
    const QString text = qv::fromCp1251(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(qv::toCp1251(text), all);
    for (int b = 0; b < 256; ++b) EXPECT_EQ(qv::charToCp1251(text[b]), b) << "byte " << b;
}

TEST(Cp1251, PilcrowAndTheUndefinedByte) {
    EXPECT_EQ(qv::cp1251ToChar(0xB6), QChar(u'\u00B6'));
    EXPECT_EQ(qv::charToCp1251(QChar(u'\u00B6')), 0xB6);
    EXPECT_EQ(qv::cp1251ToChar(0x98), QChar(u'\u0098'));
}

// The system's own converter is an independent check of the hand-written table where it
// is available; byte 0x98 is deliberately ours.
TEST(Cp1251, AgreesWithSystemConverter) {
    QStringDecoder dec("windows-1251");
    if (!dec.isValid()) GTEST_SKIP() << "no windows-1251 converter in this Qt build";
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98) continue;
        const char byte = char(b);
        const QString expected = dec.decode(QByteArrayView(&byte, 1));
        EXPECT_EQ(QString(qv::cp1251ToChar(uint8_t(b))), expected) << "byte " << b;
    }
}

TEST(Cp1251, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(qv::charToCp1251(QChar(u'\u00E9')), -1);  // é is not in the code page
    EXPECT_EQ(qv::charToCp1251(QChar(u'\u4E2D')), -1);
    // One character outside the basic plane is one '?', not two.
    EXPECT_EQ(qv::toCp1251(QString::fromUtf8("a\xC3\xA9\xF0\x9F\x98\x80z")), QByteArray("a??z"));
    EXPECT_EQ(qv::toCp1251(u"При¶"), QByteArray("\xCF\xF0\xE8\xB6"));
}

}  // namespace
