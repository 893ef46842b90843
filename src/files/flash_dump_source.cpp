#include "files/flash_dump_source.h"

#include "files/table_file_reader.h"
#include "files/workspace.h"

#include <QFileInfo>

namespace qv {

FlashDumpSource::FlashDumpSource(const QString& dump1, const QString& dump2) {
    dump1_.setFileName(dump1);
    dump2_.setFileName(dump2);
}

namespace {

Result openDump(QFile& dump) {
    if (dump.open(QIODevice::ReadOnly)) return {};
    return Result(dump.exists() ? ResultCode::DiskError : ResultCode::NotFound,
                  QStringLiteral("Can not open the flash dump %1: %2").arg(dump.fileName(), dump.errorString()));
}

}  // namespace

Result FlashDumpSource::openDumps() {
    if (Result s = openDump(dump1_); !s) return s;
    if (!dump2_.fileName().isEmpty()) return openDump(dump2_);
    return {};
}

Expected<QByteArray> FlashDumpSource::readRange(uint32_t address, uint32_t length) {
    const bool first = (address >> 24) == 0x01;
    QFile& dump = first ? dump1_ : dump2_;
    const qint64 offset = address & 0xFFFFFFu;
    if (!dump.isOpen())
        return Result(ResultCode::NotFound, QStringLiteral("The address %1 lies in flash dump #2, which was not given")
                                                .arg(address, 8, 16, QChar('0')).toUpper());
    QByteArray out;
    if (offset + qint64(length) > dump.size() || !dump.seek(offset) || (out = dump.read(length)).size() != qsizetype(length))
        return Result(ResultCode::Refused, QStringLiteral("The address %1 (%2 bytes) lies outside the flash dump %3")
                                               .arg(QString::number(address, 16).toUpper().rightJustified(8, '0'))
                                               .arg(length)
                                               .arg(QFileInfo(dump.fileName()).fileName()));
    return out;
}

Expected<QByteArray> FlashDumpSource::fetch(const MediaImage& image, int id, int index) {
    const bool oper = id == kOperatorTable;
    const Expected<QByteArray> bytes = oper ? readRange(image.operators[size_t(index)].address, image.operFormat.recordSize)
                                            : readRange(image.blob(id, index).address, image.blob(id, index).length);
    if (!bytes)
        return Result(bytes.error().code(), QStringLiteral("Item %1 of the %2: %3").arg(index).arg(tableName(id), bytes.error().message()));
    if (!oper) return bytes;
    const OperRecord record = unpackOperatorRecord(*bytes, image.operFormat);
    QByteArray out(int(OperRecord::kSize), '\0');
    record.write(reinterpret_cast<uint8_t*>(out.data()));
    return out;
}

Result importFromFlashDumps(Workspace& workspace, const QString& dump1, const QString& dump2) {
    if (!workspace.isOpen()) return Result::failure(QStringLiteral("No table file is open"));
    const bool needsTwo = workspace.image().needsSecondDump();
    if (needsTwo && dump2.isEmpty())
        return Result(ResultCode::NotFound, QStringLiteral("This phone model needs two flash dump files"));
    // A second dump given for a one-dump model still serves addresses that point into it.
    FlashDumpSource source(dump1, dump2);
    if (Result s = source.openDumps(); !s) return s;
    if (Result s = workspace.rewriteFrom(source, RewriteOptions{}); !s) return s;
    return workspace.open(workspace.chosenName());
}

}  // namespace qv
