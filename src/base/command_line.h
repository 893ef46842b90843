#pragma once
// QCommandLineParser, reading a command line the way this project's programs always have.
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace qv {

// Only a word that starts with "--" names an option ("--width 5", "--width=5"); a word with a
// single dash ("-1", "-", "-x") and a bare "--" are arguments like any other, so that a row
// index of -1 reaches the command, which says it is outside the list. QCommandLineParser would
// take those for options or for the end of the options, so they go through it behind a mark,
// which plain() takes off the values and arguments read back. `words` are without the program
// name. False when the parser found a mistake.
bool parseWords(QCommandLineParser& parser, const QStringList& words);
QString plain(const QString& text);
QStringList plain(const QStringList& texts);

struct CommandLineMistake {
    enum Kind { UnknownOption, MissingValue, UnexpectedValue } kind;
    QString word;  // as typed: "--frobnicate=3", "--width", "--backup=1"
};
// Why parseWords() returned false. A value left out can only be at the end of the line.
CommandLineMistake mistakeOf(const QCommandLineParser& parser, const QStringList& words);

}  // namespace qv
