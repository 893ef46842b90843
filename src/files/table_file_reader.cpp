#include "files/table_file_reader.h"

#include "files/zlib_section.h"

#include <QFileInfo>

namespace qv {

QString tableName(int id) {
    switch (id) {
    case kPictureTable: return QStringLiteral("picture table (1)");
    case kMelodyTable: return QStringLiteral("melody table (2)");
    case kOperatorTable: return QStringLiteral("operator table (3)");
    case kCountryTable: return QStringLiteral("country table (4)");
    case kAux5Table: return QStringLiteral("table 5");
    case kAux6Table: return QStringLiteral("table 6");
    case kCharMapTable: return QStringLiteral("character map (7)");
    case kStringTable: return QStringLiteral("string table (8)");
    case kOperatorFormatTable: return QStringLiteral("operator format (9)");
    default: return QStringLiteral("table %1").arg(id);
    }
}

namespace {

QString shortName(const QString& path) { return QFileInfo(path).fileName(); }

Result damaged(const QString& fileName, const QString& what, ResultCode code = ResultCode::Damaged) {
    return Result(code, QStringLiteral("The file %1 is damaged: %2.").arg(shortName(fileName), what));
}

}  // namespace

Expected<LoadedTables> readTableFile(QIODevice& file, const QString& fileName, MediaImage& image) {
    LoadedTables got;
    if (!file.seek(0)) return damaged(fileName, QStringLiteral("it cannot be read"));
    const QByteArray head = file.read(qint64(TableDirectory::kSize));
    if (head.size() != qsizetype(TableDirectory::kSize))
        return damaged(fileName, QStringLiteral("it is shorter than its 220-byte directory"));
    image.directory.read(reinterpret_cast<const uint8_t*>(head.constData()));
    const qint64 fileSize = file.size();
    const bool operatorsReadable = image.isPresent(kOperatorFormatTable);

    for (int id : kSectionOrder) {
        if (!image.isPresent(id)) continue;
        if ((id == kOperatorTable || id == kCountryTable) && !operatorsReadable) continue;
        const DirectoryEntry& e = image.entry(id);
        const int capacity = tableCapacity(id);
        if (capacity > 0 && e.count > uint32_t(capacity))
            return damaged(fileName, QStringLiteral("the %1 counts %2 items, more than its %3")
                                         .arg(tableName(id)).arg(e.count).arg(capacity), ResultCode::TooLarge);
        if (qint64(e.offset) + qint64(e.zsize) > fileSize)
            return damaged(fileName, QStringLiteral("the %1 lies outside the file").arg(tableName(id)));
        const int room = id == kCharMapTable ? int(CharMap::kSize) + kAux6Size : storedTableSize(id);
        // Even bytes that do not compress at all pack to little more than the block itself.
        if (qint64(e.zsize) > qint64(room) + room / 8 + 1024)
            return damaged(fileName, QStringLiteral("the %1 is larger than its block could ever pack to").arg(tableName(id)),
                           ResultCode::TooLarge);
        if (!file.seek(e.offset)) return damaged(fileName, QStringLiteral("it cannot be read"));
        const QByteArray stream = file.read(e.zsize);
        if (stream.size() != qsizetype(e.zsize)) return damaged(fileName, QStringLiteral("it cannot be read"));
        const auto block = inflateSection(stream, room);
        if (!block)
            return damaged(fileName, QStringLiteral("the %1 cannot be unpacked: %2").arg(tableName(id), block.error().message()),
                           block.error().code());
        if (Result s = image.loadTableBlock(id, *block); !s) return damaged(fileName, s.message(), s.code());
        got.set(size_t(id));
    }
    return got;
}

Result checkBlobsInside(const MediaImage& image, const LoadedTables& loaded, qint64 dataSize,
                        const QString& dataFileName) {
    for (int id : {int(kPictureTable), int(kMelodyTable), int(kOperatorTable), int(kStringTable)}) {
        if (!loaded.test(size_t(id))) continue;
        const int n = int(image.count(id));
        for (int i = 0; i < n; ++i) {
            const BlobRef b = image.blob(id, i);
            if (qint64(b.length) > kMaxFlashBytes)
                return damaged(dataFileName, QStringLiteral("item %1 of the %2 claims %3 bytes, more than a phone's flash holds")
                                                 .arg(i).arg(tableName(id)).arg(b.length), ResultCode::TooLarge);
            if (qint64(b.memOffset) + qint64(b.length) > dataSize)
                return damaged(dataFileName, QStringLiteral("item %1 of the %2 lies outside it")
                                                 .arg(i).arg(tableName(id)));
        }
    }
    return {};
}

Result checkRewritable(const MediaImage& image, const LoadedTables& loaded, const QString& fileName) {
    for (int id : kSectionOrder) {
        const uint8_t present = image.entry(id).present;
        if (present == 0 || id == kCountryTable) continue;  // table 4 follows table 3
        if (!loaded.test(size_t(id))) {
            const QString why = present != id
                ? QStringLiteral("the directory marks the %1 with %2 instead of %3").arg(tableName(id)).arg(present).arg(id)
                : QStringLiteral("the %1 cannot be used without the operator format (9)").arg(tableName(id));
            return Result(ResultCode::Refused, QStringLiteral("The file %1 cannot be rewritten: %2.").arg(shortName(fileName), why));
        }
    }
    return {};
}

}  // namespace qv
