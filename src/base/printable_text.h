#pragma once
// Text from files and file names on its way into a message: a terminal must not take any of it
// as a command (escape sequences, a carriage return that overwrites the line) and a message
// must stay on its one line.
#include <QString>
#include <QStringView>

namespace qv {

// `text` with every control character written as an escape: "\n", "\t", "\r", "\x1b" (C0 and
// DEL), "\u0085" (C1), and the same for the line and paragraph separators and the direction
// overrides, which would reorder what a terminal shows. Everything else is kept as it is.
QString printableText(QStringView text);

}  // namespace qv
