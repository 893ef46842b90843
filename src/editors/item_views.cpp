#include "editors/item_views.h"

#include "editors/picture_codec.h"

namespace qv {

Result pictureOfRow(Workspace& workspace, int row, QImage& out) {
    const Expected<QByteArray> bytes = workspace.readBlob(kPictureTable, row);
    if (!bytes) return bytes.error();
    const PictEntry& e = workspace.image().pictures[size_t(row)];
    const PictureShape shape{e.width, e.height, e.format, e.variant, workspace.image().directory.phoneType};
    out = cropToWidth(decodePicture(shape, *bytes), e.width);
    return {};
}

Result loadOperatorRecords(Workspace& workspace) {
    MediaImage& image = workspace.image();
    const int n = workspace.rowCount(ListKind::Operators);
    for (int i = 0; i < n; ++i) {
        Expected<QByteArray> read = workspace.readBlob(kOperatorTable, i);
        if (!read) return read.error();
        QByteArray& bytes = *read;
        bytes.resize(int(OperRecord::kSize), '\0');  // a shorter stored record reads as zeros
        image.operRecords[size_t(i)].read(reinterpret_cast<const uint8_t*>(bytes.constData()));
    }
    return {};
}

Result stringOfRow(Workspace& workspace, const CharMapCoding& coding, int row, QByteArray& out) {
    const Expected<QByteArray> bytes = workspace.readBlob(kStringTable, row);
    if (!bytes) return bytes.error();
    out = coding.decode(*bytes);
    return {};
}

}  // namespace qv
