// gettext PO files: what the writer lays out reads back the same, gettext's own tools accept
// it, and files from translators' tools (CRLF, BOM, fuzzy, obsolete, plural) read as intended.
#include "editors/po_file.h"
#include "support/test_support.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;

namespace {

const QString kTexts[] = {
    QString(),
    QStringLiteral("Menu"),
    QStringLiteral("quote \" and backslash \\ and \\n as text"),
    QStringLiteral("tab\there, bell\a, nul\x01 and del\x7f"),
    QStringLiteral("Call\nregister"),
    QStringLiteral("ends with a break\n"),
    QStringLiteral("\n\nleading breaks"),
    QString::fromUtf8("Журнал\nвызовов «№ 12»"),
    QStringLiteral("a long line of words that goes well past the seventy-nine columns of a gettext line, "
                   "and on, and on, until it has to be wrapped more than once to fit"),
    QString(120, QLatin1Char('x')),  // no space to wrap at
};

std::vector<PoEntry> sampleEntries() {
    std::vector<PoEntry> entries;
    int row = 0;
    for (const QString& t : kTexts) {
        PoEntry e;
        e.context = QString::number(row++);
        e.id = t;
        e.translation = t.toUpper();  // line breaks where the source has them, as gettext checks
        e.extractedComments << QStringLiteral("at most 9 characters, font page 1");
        entries.push_back(e);
    }
    return entries;
}

QByteArray sampleFile() {
    return writePo({QStringLiteral("comment")},
                   {{"Project-Id-Version", "x"}, {"Content-Type", "text/plain; charset=UTF-8"},
                    {"Content-Transfer-Encoding", "8bit"}},
                   sampleEntries());
}

TEST(PoFile, WrittenEntriesReadBackUnchanged) {
    const auto cat = parsePo(sampleFile());
    ASSERT_TRUE(cat) << cat.error().message().toStdString();
    EXPECT_TRUE(cat->header.contains("charset=UTF-8"));
    const auto expected = sampleEntries();
    ASSERT_EQ(cat->entries.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(cat->entries[i].context, expected[i].context);
        EXPECT_EQ(cat->entries[i].id, expected[i].id) << i;
        EXPECT_EQ(cat->entries[i].translation, expected[i].translation) << i;
        EXPECT_EQ(cat->entries[i].extractedComments, expected[i].extractedComments);
    }
}

TEST(PoFile, LinesAreLaidOutAsGettextDoes) {
    EXPECT_EQ(poStringLines("msgid", "Menu"), "msgid \"Menu\"\n");
    EXPECT_EQ(poStringLines("msgid", "Call\nregister"), "msgid \"\"\n\"Call\\n\"\n\"register\"\n");
    EXPECT_EQ(poStringLines("msgid", "end\n"), "msgid \"end\\n\"\n");
    EXPECT_EQ(poStringLines("msgid", QStringLiteral("a\x01" "b")), "msgid \"a\\001b\"\n");
    // Wrapped after spaces, every line within 79 columns; the pieces join to the text.
    const QByteArray wrapped = poStringLines("msgid", kTexts[8]);
    const QList<QByteArray> lines = wrapped.trimmed().split('\n');
    ASSERT_GT(lines.size(), 2);
    EXPECT_EQ(lines[0], "msgid \"\"");
    QByteArray joined;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 79);
        EXPECT_TRUE(lines[i].endsWith(" \"") || i == lines.size() - 1) << lines[i].constData();
        joined += lines[i].mid(1, lines[i].size() - 2);
    }
    EXPECT_EQ(joined, kTexts[8].toUtf8());
}

TEST(PoFile, FilesFromTranslatorsTools) {
    const QByteArray file =
        "\xEF\xBB\xBF# translator comment\r\n"
        "msgid \"\"\r\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\r\n\r\n"
        "#. at most 4 characters\r\n#, fuzzy, c-format\r\nmsgctxt \"0\"\r\nmsgid \"Menu\"\r\nmsgstr \"Меню\"\r\n\r\n"
        "msgctxt \"1\"\nmsgid \"file\"\nmsgid_plural \"files\"\nmsgstr[0] \"a\"\nmsgstr[1] \"b\"\n\n"
        "#~ msgctxt \"2\"\n#~ msgid \"old\"\n#~ msgstr \"gone\"\n\n"
        "msgctxt \"3\"\nmsgid \"\"\n\"x\"\nmsgstr \"\\x41\\101\\'\"\n";
    const auto cat = parsePo(file);
    ASSERT_TRUE(cat) << cat.error().message().toStdString();
    ASSERT_EQ(cat->entries.size(), 3u);
    EXPECT_TRUE(cat->entries[0].fuzzy);
    EXPECT_EQ(cat->entries[0].translation, QString::fromUtf8("Меню"));
    EXPECT_EQ(cat->entries[0].extractedComments, QStringList{"at most 4 characters"});
    EXPECT_EQ(cat->entries[0].line, 8);
    EXPECT_TRUE(cat->entries[1].plural);
    EXPECT_EQ(cat->entries[1].translation, "a");
    EXPECT_EQ(cat->entries[2].id, "x");
    EXPECT_EQ(cat->entries[2].translation, "AA'");

    const QByteArray cp1251 = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=windows-1251\\n\"\n\n"
                              "msgctxt \"0\"\nmsgid \"a\"\nmsgstr \"\xcc\xe5\xed\xfe\"\n";
    const auto cyr = parsePo(cp1251);
    ASSERT_TRUE(cyr) << cyr.error().message().toStdString();
    EXPECT_EQ(cyr->entries[0].translation, QString::fromUtf8("Меню"));
}

TEST(PoFile, BrokenFilesNameTheLine) {
    const struct {
        QByteArray file;
        const char* error;
    } cases[] = {
        {"msgid \"a\"\n\nmsgid \"b\"\nmsgstr \"\"\n", "line 3:"},
        {"msgid \"a\"\n", "line 2: msgid without msgstr"},
        {"msgctxt \"1\"\nmsgstr \"\"\n", "line 2: msgstr out of place"},
        {"msgid \"a\nmsgstr \"\"\n", "line 1: the string has no closing quote"},
        {"msgid \"a\\q\"\nmsgstr \"\"\n", "line 1: unknown escape \\q"},
        {"msgid \"a\" x\nmsgstr \"\"\n", "line 1: text after the closing quote"},
        {"\"floating\"\n", "line 1: a string that continues no keyword"},
        {"msgid \"a\"\nmsgtxt \"b\"\n", "line 2: unknown keyword"},
        {"msgid \"a\"\n#. comment\nmsgstr \"\"\n", "line 2: msgid without msgstr"},
        {"msgctxt \"0\"\nmsgid \"a\"\nmsgstr \"\xff\xfe\"\n", "line 2: the text is not valid UTF-8"},
        {"msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-5\\n\"\n", "charset iso-8859-5 is not supported"},
    };
    for (const auto& c : cases) {
        const auto cat = parsePo(c.file);
        EXPECT_FALSE(cat) << c.file.constData();
        const QString why = cat.error().message();
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.error))) << why.toStdString() << " / " << c.error;
    }
}

TEST(PoFile, GettextAcceptsWhatIsWritten) {
    const QString msgfmt = QStandardPaths::findExecutable("msgfmt");
    if (msgfmt.isEmpty()) GTEST_SKIP() << "gettext is not installed";
    ScratchDir dir;
    writeAll(dir.path("a.po"), sampleFile());
    QProcess p;
    p.start(msgfmt, {"-c", "-o", dir.path("a.mo"), dir.path("a.po")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
}

}  // namespace
