#include "base/file_output.h"

#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace qv {

QString fileErrorReason(const QFileDevice& file) {
    const QString qtText = file.errorString();
    const bool vague = qtText.isEmpty() || qtText == QLatin1String("Unknown error");
    if (vague && errno != 0) return QString::fromLocal8Bit(std::strerror(errno));
    return vague ? QStringLiteral("the system gave no reason") : qtText;
}

Result writeWholeFile(const QString& path, const QByteArray& bytes) {
    errno = 0;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Result::failure(QStringLiteral("Can not write %1: %2").arg(path, fileErrorReason(file)));
    // A short write, a failed flush (where a full disk shows) and a failed rename all end here;
    // QSaveFile removes its temporary file.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
        const QString why = fileErrorReason(file);
        file.cancelWriting();
        return Result::failure(QStringLiteral("Can not write %1: %2").arg(path, why));
    }
    return {};
}

}  // namespace qv
