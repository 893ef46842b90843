#include "editors/item_views.h"

#include "editors/picture_codec.h"

namespace qv {

Expected<QImage> pictureOfRow(Workspace& workspace, int row) {
    QByteArray bytes;
    if (Result s = workspace.readBlob(kPictureTable, row, bytes); !s) return s;
    const PictEntry& e = workspace.image().pictures[size_t(row)];
    const PictureShape shape{e.width, e.height, e.format, e.variant, workspace.image().directory.phoneType};
    return cropToWidth(decodePicture(shape, bytes), e.width);
}

Result loadOperatorRecords(Workspace& workspace) {
    MediaImage& image = workspace.image();
    const int n = workspace.rowCount(ListKind::Operators);
    QByteArray bytes;
    for (int i = 0; i < n; ++i) {
        if (Result s = workspace.readBlob(kOperatorTable, i, bytes); !s) return s;
        bytes.resize(int(OperRecord::kSize), '\0');  // a shorter stored record reads as zeros
        image.operRecords[size_t(i)].read(reinterpret_cast<const uint8_t*>(bytes.constData()));
    }
    return {};
}

Expected<QByteArray> stringOfRow(Workspace& workspace, const CharMapCoding& coding, int row) {
    QByteArray bytes;
    if (Result s = workspace.readBlob(kStringTable, row, bytes); !s) return s;
    return coding.decode(bytes);
}

}  // namespace qv
