#include "editors/picture_import.h"

#include "editors/item_views.h"
#include "editors/picture_encoder.h"

#include <QLocale>

namespace qv {

namespace {

// The same digits and separators whatever the user's locale, as in the other messages.
QString grouped(qint64 n) { return QLocale(QLocale::English, QLocale::UnitedStates).toString(n); }

PictureImport refusedBefore(Result why) {
    PictureImport out;
    out.status = std::move(why);
    return out;
}

}  // namespace

QString wrongSizeMessage(int imageWidth, int imageHeight, int pictureWidth, int pictureHeight) {
    return QStringLiteral("the image is %1x%2, the picture %3x%4")
        .arg(imageWidth).arg(imageHeight).arg(pictureWidth).arg(pictureHeight);
}

QString tooLargeMessage(qint64 needed, qint64 place) {
    return QStringLiteral("this picture needs %1 bytes in its format; its place holds %2").arg(grouped(needed), grouped(place));
}

bool pictureImportOffered(const PictEntry& e) {
    return !(e.format == kFormatGrey4 || e.variant == kVariantColumnWords || (e.variant == 0 && e.format == kFormatMono1));
}

PictureImport importImage(const PictureShape& shape, qint64 size, const Bitmap& image) {
    if (image.width != shape.width || image.height != shape.height)
        return refusedBefore({ResultCode::Refused, wrongSizeMessage(image.width, image.height, shape.width, shape.height)});
    if (shape.format > kFormatRunLength565)
        return refusedBefore({ResultCode::UnsupportedFormat, QStringLiteral("the picture's format %1 is unknown").arg(shape.format)});
    if (qint64(decodedWidth(shape)) * shape.height > kMaxPicturePixels)
        return refusedBefore({ResultCode::TooLarge,
                              QStringLiteral("the picture is %1x%2, larger than any phone shows").arg(shape.width).arg(shape.height)});
    PictureImport out;
    QByteArray bytes = encodePicture(shape, image);
    out.shown = cropToWidth(decodePicture(shape, bytes), shape.width);
    if (bytes.size() > size) {
        out.status = Result(ResultCode::TooLarge, tooLargeMessage(bytes.size(), size));
        return out;
    }
    // The decoder stops at the picture's last pixel, so what follows is never read; zeros keep
    // the place the same for the same image.
    bytes.append(QByteArray(qsizetype(size - bytes.size()), '\0'));
    out.bytes = std::move(bytes);
    return out;
}

PictureImport importImageFile(const PictureShape& shape, qint64 size, const QString& path) {
    const auto image = readImageFile(path);
    if (!image) return refusedBefore(image.error());
    return importImage(shape, size, *image);
}

Expected<RowImport> importIntoRow(Workspace& ws, int row, const QString& path) {
    const PictEntry& e = ws.image().pictures[size_t(row)];
    RowImport out;
    static_cast<PictureImport&>(out) =
        importImageFile({e.width, e.height, e.format, e.variant, ws.image().directory.phoneType}, e.size, path);
    if (out.shown.isNull()) return out;
    const auto current = pictureOfRow(ws, row);
    if (!current) return current.error();
    out.unchanged = out.shown == *current;
    if (!out.unchanged && !pictureImportOffered(e)) {
        out.status = Result(ResultCode::UnsupportedFormat, QStringLiteral("import is not offered for this picture's format"));
        out.bytes.clear();
    }
    return out;
}

}  // namespace qv
