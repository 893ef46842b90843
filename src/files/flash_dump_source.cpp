#include "files/flash_dump_source.h"

#include "files/table_file_reader.h"
#include "files/workspace.h"

#include <QFileInfo>

namespace qv {

FlashDumpSource::FlashDumpSource(const QString& dump1, const QString& dump2) {
    dump1_.setFileName(dump1);
    dump2_.setFileName(dump2);
}

Result FlashDumpSource::openDumps() {
    if (!dump1_.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("Can not open the flash dump %1: %2").arg(dump1_.fileName(), dump1_.errorString()));
    if (!dump2_.fileName().isEmpty() && !dump2_.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("Can not open the flash dump %1: %2").arg(dump2_.fileName(), dump2_.errorString()));
    return {};
}

Result FlashDumpSource::readRange(uint32_t address, uint32_t length, QByteArray& out) {
    const bool first = (address >> 24) == 0x01;
    QFile& dump = first ? dump1_ : dump2_;
    const qint64 offset = address & 0xFFFFFFu;
    out.clear();
    if (!dump.isOpen())
        return Result::failure(QStringLiteral("The address %1 lies in flash dump #2, which was not given")
                                   .arg(address, 8, 16, QChar('0')).toUpper());
    if (offset + qint64(length) > dump.size() || !dump.seek(offset) || (out = dump.read(length)).size() != qsizetype(length))
        return Result::failure(QStringLiteral("The address %1 (%2 bytes) lies outside the flash dump %3")
                                   .arg(QString::number(address, 16).toUpper().rightJustified(8, '0'))
                                   .arg(length)
                                   .arg(QFileInfo(dump.fileName()).fileName()));
    return {};
}

Result FlashDumpSource::fetch(const MediaImage& image, int id, int index, QByteArray& out) {
    if (id != kOperatorTable) {
        const BlobRef b = image.blob(id, index);
        if (Result s = readRange(b.address, b.length, out); !s)
            return Result::failure(QStringLiteral("Item %1 of the %2: %3").arg(index).arg(tableName(id), s.message()));
        return {};
    }
    QByteArray packed;
    const OperEntry& e = image.operators[size_t(index)];
    if (Result s = readRange(e.address, image.operFormat.recordSize, packed); !s)
        return Result::failure(QStringLiteral("Item %1 of the %2: %3").arg(index).arg(tableName(id), s.message()));
    const OperRecord record = unpackOperatorRecord(packed, image.operFormat);
    out.resize(int(OperRecord::kSize));
    record.write(reinterpret_cast<uint8_t*>(out.data()));
    return {};
}

Result importFromFlashDumps(Workspace& workspace, const QString& dump1, const QString& dump2) {
    if (!workspace.isOpen()) return Result::failure(QStringLiteral("No table file is open"));
    const bool needsTwo = workspace.image().needsSecondDump();
    if (needsTwo && dump2.isEmpty())
        return Result::failure(QStringLiteral("This phone model needs two flash dump files"));
    // A second dump given for a one-dump model still serves addresses that point into it.
    FlashDumpSource source(dump1, dump2);
    if (Result s = source.openDumps(); !s) return s;
    if (Result s = workspace.rewriteFrom(source, RewriteOptions{}); !s) return s;
    return workspace.open(workspace.chosenName());
}

}  // namespace qv
