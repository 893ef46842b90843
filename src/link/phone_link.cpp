#include "link/phone_link.h"

#include <QFile>
#include <QFileInfo>

namespace qv {

Expected<QByteArray> loadLoaderImage(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Result(f.exists() ? ResultCode::DiskError : ResultCode::NotFound,
                      QStringLiteral("The loader image %1 cannot be read: %2").arg(path, f.errorString()));
    QByteArray bytes = f.read(kLoaderImageSize + 1);
    if (bytes.size() != kLoaderImageSize)
        return Result(ResultCode::Refused, QStringLiteral("The loader image %1 has %2 bytes; it must have exactly %3")
                                               .arg(path).arg(QFileInfo(path).size()).arg(kLoaderImageSize));
    return bytes;
}

}  // namespace qv
