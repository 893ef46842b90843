#include "base/command_line.h"

namespace qv {

namespace {

// A noncharacter, which no text typed on a command line holds.
constexpr QChar kMark(0xFDD0);

}  // namespace

bool parseWords(QCommandLineParser& parser, const QStringList& words) {
    QStringList marked{QString()};  // where the parser expects the program name
    for (const QString& word : words) {
        const bool option = word.startsWith(QLatin1String("--")) && word.size() > 2;
        const bool hidden = !option && (word.startsWith(u'-') || word.startsWith(kMark));
        marked << (hidden ? kMark + word : word);
    }
    return parser.parse(marked);
}

QString plain(const QString& text) { return text.startsWith(kMark) ? text.mid(1) : text; }

QStringList plain(const QStringList& texts) {
    QStringList out;
    for (const QString& text : texts) out << plain(text);
    return out;
}

CommandLineMistake mistakeOf(const QCommandLineParser& parser, const QStringList& words) {
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString option = QLatin1String("--") + parser.unknownOptionNames().first();
        for (const QString& word : words)
            if (word == option || word.startsWith(option + u'=')) return {CommandLineMistake::UnknownOption, word};
        return {CommandLineMistake::UnknownOption, option};
    }
    // The parser keeps no value for an option that takes none, even when one was given.
    for (const QString& word : words) {
        const QString name = word.mid(2).section(u'=', 0, 0);
        if (word.startsWith(QLatin1String("--")) && word.contains(u'=') && parser.optionNames().contains(name) &&
            parser.values(name).isEmpty())
            return {CommandLineMistake::UnexpectedValue, word};
    }
    return {CommandLineMistake::MissingValue, words.isEmpty() ? QString() : words.last()};
}

}  // namespace qv
