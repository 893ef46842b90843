#include "editors/item_views.h"

#include "editors/picture_codec.h"

namespace qv {

Expected<QImage> pictureOfRow(Workspace& workspace, int row) {
    const Expected<QByteArray> bytes = workspace.readBlob(kPictureTable, row);
    if (!bytes) return bytes.error();
    const PictEntry& e = workspace.image().pictures[size_t(row)];
    const PictureShape shape{e.width, e.height, e.format, e.variant, workspace.image().directory.phoneType};
    return cropToWidth(decodePicture(shape, *bytes), e.width);
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

Expected<QByteArray> stringOfRow(Workspace& workspace, const CharMapCoding& coding, int row) {
    const Expected<QByteArray> bytes = workspace.readBlob(kStringTable, row);
    if (!bytes) return bytes.error();
    return coding.decode(*bytes);
}

}  // namespace qv
