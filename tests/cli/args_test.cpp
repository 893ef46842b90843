// How a command's words are read: only "--name" names an option, and a word with a single dash
// or a bare "--" is an argument or a value like any other.
#include "cli/cli_args.h"

#include <QMap>
#include <gtest/gtest.h>

using qv::cli::Args;

namespace {

const QSet<QString> kValued = {"page", "name1"};
const QSet<QString> kFlags = {"skip-invalid"};

TEST(Args, DashWordsAreArgumentsAndValuesTakeEitherForm) {
    struct Case {
        QStringList words;
        QStringList positional;
        QMap<QString, QString> values;
        QStringList flags;
    };
    const Case cases[] = {
        {{"f.sav", "-1", "-", "-x"}, {"f.sav", "-1", "-", "-x"}, {}, {}},
        {{"f.sav", "--page", "-2", "--name1", "--skip-invalid"},
         {"f.sav"},
         {{"page", "-2"}, {"name1", "--skip-invalid"}},
         {}},
        {{"--page=3", "x", "--name1=a=b"}, {"x"}, {{"page", "3"}, {"name1", "a=b"}}, {}},
        {{"--page", "1", "--page=2", "--name1="}, {}, {{"page", "2"}, {"name1", ""}}, {}},
        {{"--", "-h", "--skip-invalid", "--"}, {"--", "-h", "--"}, {}, {"skip-invalid"}},
    };
    for (const Case& c : cases) {
        const Args a(c.words, kValued, kFlags);
        const std::string line = c.words.join(' ').toStdString();
        EXPECT_EQ(a.positional(), c.positional) << line;
        for (const QString& name : kValued) {
            EXPECT_EQ(a.has(name), c.values.contains(name)) << line << ": --" << name.toStdString();
            EXPECT_EQ(a.value(name), c.values.value(name)) << line << ": --" << name.toStdString();
        }
        for (const QString& name : kFlags) EXPECT_EQ(a.flag(name), c.flags.contains(name)) << line;
    }
}

}  // namespace
