#pragma once
// The names of one service file set, all formed from the name the user chose.
#include <QString>

namespace qv {

// Replaces the extension of `chosen`: the text from the last "." that stands after the last
// path separator ("\", "/" or ":"); a name without such a "." gets `extension` appended.
QString withExtension(const QString& chosen, const QString& extension);

struct ServiceFileNames {
    explicit ServiceFileNames(const QString& chosen);
    QString sav, mem, mru, sa2, me2;
    // Present while a finished rewrite is being swapped in; lets the next open complete it.
    QString swapMarker;
};

}  // namespace qv
