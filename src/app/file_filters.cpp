#include "app/file_filters.h"

#include "base/language_table.h"

#include <QImageReader>
#include <QStringList>

namespace qv {

QString pictureOpenFilter() {
    // The import reads bitmaps itself and everything else through Qt's image plugins.
    QStringList patterns{QStringLiteral("*.bmp")};
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString pattern = QStringLiteral("*.") + QString::fromLatin1(format).toLower();
        if (!patterns.contains(pattern)) patterns << pattern;
    }
    return langText(Text::AllImageFiles) + QLatin1Char('|') + patterns.join(u';') +
           QStringLiteral("|Bitmaps (*.bmp)|*.bmp|TIF|*.tif|PNG|*.png");
}

QString pictureSaveFilter() { return QStringLiteral("Bitmaps (*.bmp)|*.bmp|PNG|*.png"); }

QString programFilter() {
#ifdef Q_OS_WIN
    return QStringLiteral("EXE files|*.exe");
#else
    return langText(Text::AllFiles) + QStringLiteral("|*");
#endif
}

QString programSuffix() {
#ifdef Q_OS_WIN
    return QStringLiteral("exe");
#else
    return {};
#endif
}

}  // namespace qv
