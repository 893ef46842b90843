#pragma once
// Blobs cut out of flash dump files, as the "by FullFlash" import takes them.
#include "files/service_file_rewriter.h"

#include <QFile>
#include <memory>

namespace qv {

class FlashDumpSource : public BlobSource {
public:
    // `dump2` may be empty when the model needs only one dump.
    FlashDumpSource(const QString& dump1, const QString& dump2);
    Result openDumps();
    Expected<QByteArray> fetch(const MediaImage& image, int id, int index) override;

    // The top byte of an address picks the dump (0x01 = the first), the low 24 bits the offset.
    Expected<QByteArray> readRange(uint32_t address, uint32_t length);

private:
    QFile dump1_;
    QFile dump2_;
};

// Builds the data file of the open workspace from flash dumps and opens it.
class Workspace;
Result importFromFlashDumps(Workspace& workspace, const QString& dump1, const QString& dump2);

}  // namespace qv
