// decode-picture, encode-picture, export-picture and thumbnail.
#include "base/file_output.h"
#include "cli/cli_command.h"
#include "editors/bmp_file.h"
#include "editors/edit_operations.h"
#include "editors/item_views.h"
#include "editors/picture_codec.h"
#include "editors/picture_import.h"
#include "editors/thumbnail.h"
#include "files/workspace.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonObject>

namespace qv::cli {
namespace {

const QSet<QString> kShapeOptions = {"width", "height", "format", "variant", "phone-type"};

PictureShape shapeFrom(const Args& a) {
    PictureShape shape;
    shape.width = int(a.number("width"));
    shape.height = int(a.number("height"));
    shape.format = uint8_t(a.number("format"));
    shape.variant = uint8_t(a.number("variant"));
    shape.phoneType = uint16_t(a.number("phone-type"));
    if (shape.width <= 0 || shape.height <= 0 || shape.width > 0xFFFF || shape.height > 0xFFFF)
        throw UsageError("--width and --height must be between 1 and 65535");
    return shape;
}

// Raw picture bytes: no picture is larger than a phone's flash.
QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!QFileInfo(path).isFile()) throw Failure(QStringLiteral("Can not open %1: it is not a regular file").arg(path));
    if (!f.open(QIODevice::ReadOnly)) throw Failure(QStringLiteral("Can not open %1: %2").arg(path, f.errorString()));
    if (f.size() > kMaxFlashBytes)
        throw Failure(QStringLiteral("%1 has %2 bytes, more than any phone picture").arg(path).arg(f.size()));
    return f.readAll();
}

void writeBmp(const QImage& image, const QString& path) {
    if (Result s = writeBmp24File(image, path); !s) throw Failure(s.message());
}

QJsonObject wroteImage(const QString& path, const QImage& image) {
    return QJsonObject{{"written", path}, {"width", image.width()}, {"height", image.height()}};
}

QJsonValue decode(const Args& a) {
    a.requireCount(2, 2);
    const PictureShape shape = shapeFrom(a);
    const QImage image = cropToWidth(decodePicture(shape, readFile(a.positional(0))), shape.width);
    writeBmp(image, a.positional(1));
    return wroteImage(a.positional(1), image);
}

QJsonValue encode(const Args& a) {
    a.requireCount(2, 2);
    const PictureShape shape = shapeFrom(a);
    const long long size = a.number("size");
    if (size < 0 || size > 0x7FFFFFFF) throw UsageError("--size is out of range");
    const PictureImport in = importImageFile(shape, size, a.positional(0));
    if (in.refused()) throw Failure(in.status.message());
    if (Result s = writeWholeFile(a.positional(1), in.bytes); !s) throw Failure(s.message());
    return QJsonObject{{"written", a.positional(1)}, {"size", double(in.bytes.size())}};
}

QImage pictureOf(const Args& a, Workspace& ws) {
    openServiceFile(ws, a.positional(0), true);
    const int row = rowIndex(a.positional(1), ws.rowCount(ListKind::Pictures));
    auto image = pictureOfRow(ws, row);
    if (!image) throw Failure(image.error().message());
    return std::move(*image);
}

// A BMP is 24-bit; PNG and the other formats Qt writes keep the picture's own depth, so that
// importing the file again gives the same bytes.
QJsonValue exportPicture(const Args& a) {
    a.requireCount(3, 3);
    Workspace ws;
    const QImage image = pictureOf(a, ws);
    if (writtenThroughQt(a.positional(2))) {
        const int row = rowIndex(a.positional(1), ws.rowCount(ListKind::Pictures));
        if (Result s = exportPictureKeepingDepth(ws, row, a.positional(2)); !s) throw Failure(s.message());
    } else {
        writeBmp(image, a.positional(2));
    }
    return wroteImage(a.positional(2), image);
}

QJsonValue thumbnail(const Args& a) {
    a.requireCount(3, 3);
    Workspace ws;
    const QImage image = makeThumbnail(pictureOf(a, ws));
    writeBmp(image, a.positional(2));
    return wroteImage(a.positional(2), image);
}

}  // namespace

std::vector<Command> pictureCommands() {
    QSet<QString> encodeOptions = kShapeOptions;
    encodeOptions.insert("size");
    return {
        {"decode-picture", "--width W --height H --format F --variant V --phone-type T IN.bin OUT.bmp",
         "Decodes raw picture bytes to a 24-bit BMP of W x H.", kShapeOptions, {}, decode},
        {"encode-picture", "--width W --height H --format F --variant V --phone-type T --size N IN.bmp OUT.bin",
         "Encodes a BMP (or PNG, or any image Qt reads) as the import does; OUT is exactly N bytes, and not written when "
         "the picture needs more.", encodeOptions, {}, encode},
        {"export-picture", "FILE.sav INDEX OUT.bmp|OUT.png",
         "Writes a picture of its width x height: a 24-bit BMP, or by the name's extension a PNG (or another format Qt "
         "writes) in the picture's own depth.",
         {}, {},
         exportPicture},
        {"thumbnail", "FILE.sav INDEX OUT.bmp", "Writes a picture's 48 x 48 thumbnail as a 24-bit BMP.", {}, {},
         thumbnail},
    };
}

}  // namespace qv::cli
