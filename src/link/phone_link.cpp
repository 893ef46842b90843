#include "link/phone_link.h"

#include <QFile>
#include <QFileInfo>

namespace qv {

Result loadLoaderImage(const QString& path, QByteArray& image) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("The loader image %1 cannot be read: %2").arg(path, f.errorString()));
    const QByteArray bytes = f.read(kLoaderImageSize + 1);
    if (bytes.size() != kLoaderImageSize)
        return Result::failure(QStringLiteral("The loader image %1 has %2 bytes; it must have exactly %3")
                                   .arg(path).arg(QFileInfo(path).size()).arg(kLoaderImageSize));
    image = bytes;
    return {};
}

}  // namespace qv
