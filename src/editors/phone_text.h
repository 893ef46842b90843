#pragma once
// Whether the phone can show a text: each character must have a place in its code page
// (Windows-1251) and a glyph in its font. Both editors and the command line refuse a text
// that fails either, rather than store something else in its place.
#include "editors/char_map_coding.h"

#include <QByteArray>
#include <QString>

namespace qv {

// The characters of `text` outside the phone's code page, each once, in order.
QString unshowableCharacters(const QString& text);
// Removes them from `text`, moving `caret` back by those that stood before it.
void dropUnshowable(QString& text, int& caret);

// "\"€\" (U+20AC)", or the code alone for a character that does not print.
QString characterName(char32_t c);

// Empty when every character of `text` (cp1251) has a glyph in font page `page`; otherwise
// the refusal naming the first one that has none.
QString fontRefusal(const CharMapCoding& coding, const QByteArray& text, int page);

}  // namespace qv
