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
    // Every process that rewrites the pair, or completes an interrupted rewrite, locks it.
    QString lock;

    // The names a rewrite works with: a table or data file reached through symbolic links is
    // replaced at the link's target, and the new files are written beside that target, so the
    // links stay links. Names that are not links are returned as they are.
    ServiceFileNames resolvedForRewrite() const;
};

// Follows symbolic links to the file they finally name (which need not exist yet).
QString followLinks(const QString& path);

}  // namespace qv
