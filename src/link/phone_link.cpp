#include "link/phone_link.h"

#include <QFile>
#include <QFileInfo>

namespace qv {

bool loadLoaderImage(const QString& path, QByteArray& image, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("The loader image %1 cannot be read: %2").arg(path, f.errorString());
        return false;
    }
    const QByteArray bytes = f.read(kLoaderImageSize + 1);
    if (bytes.size() != kLoaderImageSize) {
        if (error)
            *error = QStringLiteral("The loader image %1 has %2 bytes; it must have exactly %3")
                         .arg(path).arg(QFileInfo(path).size()).arg(kLoaderImageSize);
        return false;
    }
    image = bytes;
    return true;
}

}  // namespace qv
