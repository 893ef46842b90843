#include "files/service_file_names.h"

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
      swapMarker(withExtension(chosen, ".sw2")) {}

}  // namespace qv
