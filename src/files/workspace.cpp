#include "files/workspace.h"

#include "files/data_file_source.h"

#include <QFileInfo>

namespace qv {

int tableOfList(ListKind kind) {
    switch (kind) {
    case ListKind::Pictures: return idTablePict;
    case ListKind::Melodies: return idTableMel;
    case ListKind::Operators: return idTableOper;
    case ListKind::Strings: return idTableStr;
    }
    return 0;
}

Workspace::Workspace() : image_(std::make_unique<MediaImage>()) {}
Workspace::~Workspace() = default;

void Workspace::close() {
    tableFile_.close();
    dataFile_.close();
    chosenName_.clear();
    loaded_.reset();
    resetLists();
}

void Workspace::resetLists() {
    for (auto& t : ticks_) t.clear();
}

Status Workspace::open(const QString& chosenName) {
    auto next = std::make_unique<MediaImage>(*image_);  // absent tables keep what they held
    LoadedTables loaded;
    const ServiceFileNames names(chosenName);
    if (Status s = recoverInterruptedRewrite(names); !s) return s;

    QFile table(chosenName);
    if (!table.open(QIODevice::ReadWrite) && !table.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("Can not open %1: %2").arg(chosenName, table.errorString()));
    if (Status s = readTableFile(table, chosenName, *next, &loaded); !s) return s;

    QFile data(names.mem);
    if (QFile::exists(names.mem)) {
        if (!data.open(QIODevice::ReadWrite) && !data.open(QIODevice::ReadOnly))
            return Status::failure(QStringLiteral("Can not open %1: %2").arg(names.mem, data.errorString()));
        if (Status s = checkBlobsInside(*next, loaded, data.size(), names.mem); !s) return s;
    }

    // Everything could be read: the new service file replaces the current one.
    tableFile_.close();
    dataFile_.close();
    image_ = std::move(next);
    loaded_ = loaded;
    chosenName_ = chosenName;
    tableFile_.setFileName(chosenName);
    if (!tableFile_.open(QIODevice::ReadWrite)) tableFile_.open(QIODevice::ReadOnly);
    if (data.isOpen()) {
        data.close();
        dataFile_.setFileName(names.mem);
        if (!dataFile_.open(QIODevice::ReadWrite)) dataFile_.open(QIODevice::ReadOnly);
    }
    resetLists();
    for (ListKind k : {ListKind::Pictures, ListKind::Melodies, ListKind::Operators, ListKind::Strings})
        ticks(k).assign(size_t(rowCount(k)), false);
    if (loaded_.test(idTableMel)) melodyFileNames_ = loadMelodyFileNames(names.mru);
    return {};
}

int Workspace::rowCount(ListKind kind) const {
    const int id = tableOfList(kind);
    if (!loaded_.test(size_t(id)) || !dataFile_.isOpen()) return 0;
    const int n = int(image_->count(id));
    return kind == ListKind::Pictures ? std::max(0, n - 1) : n;
}

Status Workspace::readBlob(int table, int index, QByteArray& out) {
    const BlobRef b = image_->blob(table, index);
    out.clear();
    if (!dataFile_.isOpen()) return Status::failure(QStringLiteral("No data file is open"));
    if (!dataFile_.seek(b.memOffset)) return Status::failure(QStringLiteral("Can not read %1").arg(dataFile_.fileName()));
    out = dataFile_.read(b.length);
    if (out.size() != qsizetype(b.length))
        return Status::failure(QStringLiteral("Can not read item %1 from %2").arg(index).arg(dataFile_.fileName()));
    return {};
}

Status Workspace::writeBlob(int table, int index, const QByteArray& bytes) {
    const BlobRef b = image_->blob(table, index);
    if (qsizetype(b.length) != bytes.size())
        return Status::failure(QStringLiteral("An item keeps its length of %1 bytes").arg(b.length));
    if (!dataFile_.isOpen() || !dataFile_.isWritable() || !dataFile_.seek(b.memOffset) ||
        dataFile_.write(bytes) != bytes.size() || !dataFile_.flush())
        return Status::failure(QStringLiteral("Can not write %1: %2").arg(dataFile_.fileName(), dataFile_.errorString()));
    return {};
}

Status Workspace::save() {
    if (!hasDataFile()) return Status::failure(QStringLiteral("No service file with a data file is open"));
    DataFileSource source(dataFile_);
    return rewriteFrom(source, RewriteOptions{});
}

Status Workspace::rewriteFrom(BlobSource& source, const RewriteOptions& options) {
    if (!isOpen()) return Status::failure(QStringLiteral("No service file is open"));
    if (Status s = checkRewritable(*image_, loaded_, chosenName_); !s) return s;
    const ServiceFileNames names(chosenName_);
    auto rewritten = std::make_unique<MediaImage>();
    if (Status s = writeNewPair(*image_, source, options, names, *rewritten); !s) return s;
    if (options.beforeSwap) {
        if (Status s = options.beforeSwap(); !s) {
            QFile::remove(names.sa2);
            QFile::remove(names.me2);
            return s;
        }
    }

    // The platform may refuse to replace open files.
    tableFile_.close();
    dataFile_.close();
    const SwapResult swap = swapNewPairIn(names);
    if (swap.newDataInPlace) {
        // The data file on disk is the new one: the image must address its blobs.
        image_ = std::move(rewritten);
        LoadedTables nowPresent;
        for (int id : kSectionOrder)
            if (image_->entry(id).present == id) nowPresent.set(size_t(id));
        loaded_ = nowPresent;
    }
    const bool renamedTable = swap.status.ok();
    chosenName_ = renamedTable ? names.sav : chosenName_;
    tableFile_.setFileName(chosenName_);
    if (!tableFile_.open(QIODevice::ReadWrite)) tableFile_.open(QIODevice::ReadOnly);
    dataFile_.setFileName(names.mem);
    if (QFile::exists(names.mem) && !dataFile_.open(QIODevice::ReadWrite)) dataFile_.open(QIODevice::ReadOnly);
    for (ListKind k : {ListKind::Pictures, ListKind::Melodies, ListKind::Operators, ListKind::Strings})
        ticks(k).resize(size_t(rowCount(k)), false);
    return swap.status;
}

}  // namespace qv
