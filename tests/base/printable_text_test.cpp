// Texts from files on their way to a terminal: nothing in them may act on the terminal or
// break the message's line, and everything else stays as it is.
#include "base/printable_text.h"

#include <gtest/gtest.h>

using namespace qv;

namespace {

TEST(PrintableText, ControlCharactersBecomeEscapesAndTheRestStays) {
    const struct {
        QString text;
        const char* shown;
    } cases[] = {
        {QStringLiteral("plain \\n text"), "plain \\n text"},  // a backslash is no control
        {QStringLiteral("two\nlines\r\n"), "two\\nlines\\r\\n"},
        {QStringLiteral("\x1b[31mred\x1b[0m\x07"), "\\x1b[31mred\\x1b[0m\\x07"},
        {QStringLiteral("tab\tdel\x7f"), "tab\\tdel\\x7f"},
        {QString::fromUtf8("c1\xc2\x9b" "2J"), "c1\\u009b2J"},
        {QString::fromUtf8("abc\xe2\x80\xae" "txt.exe\xe2\x80\xa8"), "abc\\u202etxt.exe\\u2028"},
        {QString::fromUtf8("Журнал «№ 12» \xf0\x9f\x98\x80"), "Журнал «№ 12» \xf0\x9f\x98\x80"},
        {QString(QChar(0)), "\\x00"},
    };
    for (const auto& c : cases) EXPECT_EQ(printableText(c.text), QString::fromUtf8(c.shown)) << c.shown;
}

}  // namespace
