#include "files/service_file_names.h"

#include <QDir>
#include <QFileInfo>

namespace qv {

QString withExtension(const QString& chosen, const QString& extension) {
    qsizetype folderEnd = -1;
    for (QChar sep : {QChar('\\'), QChar('/'), QChar(':')}) folderEnd = std::max(folderEnd, chosen.lastIndexOf(sep));
    const qsizetype dot = chosen.lastIndexOf(QChar('.'));
    if (dot > folderEnd) return chosen.left(dot) + extension;
    return chosen + extension;
}

ServiceFileNames::ServiceFileNames(const QString& chosen)
    : sav(withExtension(chosen, ".sav")),
      mem(withExtension(chosen, ".mem")),
      mru(withExtension(chosen, ".mru")),
      sa2(withExtension(chosen, ".sa2")),
      me2(withExtension(chosen, ".me2")),
      swapMarker(withExtension(chosen, ".sw2")),
      lock(withExtension(chosen, ".lck")) {}

QString followLinks(const QString& path) {
    QString at = path;
    // A loop of links ends somewhere; 40 is the system's own limit.
    for (int hop = 0; hop < 40; ++hop) {
        const QFileInfo info(at);
        if (!info.isSymLink()) return at;
        const QString target = info.symLinkTarget();
        if (target.isEmpty()) return at;
        at = QDir::cleanPath(QDir(info.absolutePath()).absoluteFilePath(target));
    }
    return at;
}

ServiceFileNames ServiceFileNames::resolvedForRewrite() const {
    ServiceFileNames r = *this;
    const QString table = followLinks(sav);
    const QString data = followLinks(mem);
    if (table != sav) {
        r.sav = table;
        r.sa2 = withExtension(table, ".sa2");
        r.swapMarker = withExtension(table, ".sw2");
        r.lock = withExtension(table, ".lck");
    }
    if (data != mem) {
        r.mem = data;
        r.me2 = withExtension(data, ".me2");
    }
    return r;
}

}  // namespace qv
