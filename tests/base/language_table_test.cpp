#include "base/language_table.h"

#include "base/not_ini_files.h"
#include "support/test_support.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using qv::LanguageTable;

LanguageTable defaults() {
    LanguageTable t;
    t.loadDefaults();
    return t;
}

LanguageTable loadedFrom(const QByteArray& languageIni) {
    qvtest::ScratchDir dir;
    qvtest::writeAll(dir.path("language.ini"), languageIni);
    LanguageTable t;
    t.load(dir.path());
    return t;
}

// Slots that differ from the defaults.
std::vector<int> changedSlots(const LanguageTable& t) {
    const LanguageTable d = defaults();
    std::vector<int> changed;
    for (int i = 0; i < LanguageTable::kSlotCount; ++i)
        if (t.slot(i) != d.slot(i)) changed.push_back(i);
    return changed;
}

TEST(LanguageTable, KeyToSlot) {
    const std::pair<const char*, int> cases[] = {
        {"000", 0},     {"024", 24},    {"076", 76},    {"8001", 101},  {"8030", 130},  {"8104", 204},
        {"8200", 205},  {"8203", 208},  {"8110", 210},  {"8113", 213},  {"078", 78},    {"079", -1},    {"8000", -1},
        {"8105", -1},   {"8109", -1},   {"8114", -1},   {"8199", -1},   {"8204", -1},   {"76", -1},
        {"0000", -1},   {"", -1},       {"8o01", -1},   {"-01", -1},
        {"8300", 214},  {"8306", 220},  {"8299", -1},   {"8307", -1},
    };
    for (const auto& [key, slot] : cases) {
        EXPECT_EQ(LanguageTable::slotOfKey(QString::fromLatin1(key)), slot) << key;
        if (slot >= 0) {
            EXPECT_EQ(LanguageTable::keyOfSlot(slot), QLatin1StringView(key));
        }
    }
    for (int slot : {79, 99, 100, 209, 221, -1}) EXPECT_TRUE(LanguageTable::keyOfSlot(slot).isEmpty()) << slot;
}

TEST(LanguageTable, WithoutFileEveryTextIsItsDefault) {
    qvtest::ScratchDir empty;
    LanguageTable t;
    t.load(empty.path());
    EXPECT_TRUE(changedSlots(t).empty());
    EXPECT_TRUE(changedSlots(qv::languageTable()).empty()) << "the process-wide table starts with the defaults";

    const std::pair<const char*, const char*> samples[] = {
        {"006", " byte"},
        {"014", " byte(s)"},
        {"023", " Phone is not responding! Make sure you phone is connected and switched on..."},
        {"052", " of"},
        {"024", "No Error. Operation succedeed."},
        {"012", "Incorrect resolution X:Y"},
        {"8030", "Images"},
        {"8054", ""},
        {"8203", "Shrink+Bold"},
        {"8113", "by FullFlash"},
    };
    for (const auto& [key, text] : samples) EXPECT_EQ(t.text(QString::fromLatin1(key)), text) << key;
    EXPECT_FALSE(t.text(u"8005").isEmpty());
    for (int slot : {79, 99, 100, 209}) EXPECT_TRUE(t.slot(slot).isEmpty()) << slot;
    EXPECT_TRUE(t.text(u"8105").isEmpty());
}

TEST(LanguageTable, FileChangesOnlyTheKeysItSets) {
    const LanguageTable t = loadedFrom("[Language]\r\n8030=Bilder\r\n8105=ignored\r\n8000=ignored\r\n");
    EXPECT_EQ(changedSlots(t), std::vector<int>{130});
    EXPECT_EQ(t.text(u"8030"), "Bilder");
    EXPECT_TRUE(t.text(u"8105").isEmpty());
    EXPECT_TRUE(t.slot(100).isEmpty());
}

TEST(LanguageTable, FileValuesFollowTheSameRules) {
    const LanguageTable t = loadedFrom("[language]\n"
                                       "8031=\n"
                                       "014=\xE1\xE0\xE9\xF2\n"  // cp1251
                                       "052=\n"
                                       "8200=\"  Normal, wide \"\n");
    EXPECT_EQ(t.text(u"8031"), "");
    EXPECT_EQ(t.text(u"014"), QString::fromUtf8(" байт"));
    EXPECT_EQ(t.text(u"052"), " ") << "the leading space is added even to an empty text";
    EXPECT_EQ(t.text(u"8200"), "  Normal, wide ");
}

TEST(LanguageTable, FileThatIsNoTextLeavesTheDefaultsAndSaysWhy) {
    for (const qvtest::NotIniFile& c : qvtest::notIniFiles()) {
        qvtest::ScratchDir dir;
        const QString path = dir.path("language.ini");
        c.make(path);
        LanguageTable t;
        const QString warning = t.load(dir.path());
        EXPECT_TRUE(changedSlots(t).empty()) << c.name;
        EXPECT_TRUE(warning.contains(QDir::toNativeSeparators(path))) << c.name << ": " << warning.toStdString();
        EXPECT_TRUE(warning.contains(QLatin1String(c.reason))) << c.name << ": " << warning.toStdString();
        EXPECT_EQ(t.loadWarning(), warning) << c.name;

        // With a proper file the next load takes it and forgets the warning.
        qvtest::ScratchDir mended;
        qvtest::writeAll(mended.path("language.ini"), qvtest::kTranslatedEntry);
        EXPECT_TRUE(t.load(mended.path()).isEmpty()) << c.name;
        EXPECT_TRUE(t.loadWarning().isEmpty()) << c.name;
        EXPECT_EQ(t.text(u"8030"), "Bilder") << c.name;
    }
}

TEST(LanguageTable, OtherSectionIsIgnored) {
    const LanguageTable t = loadedFrom("[Setting]\n8030=Bilder\n");
    EXPECT_TRUE(changedSlots(t).empty());
}

}  // namespace
