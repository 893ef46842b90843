#include "files/workspace.h"

#include "base/file_output.h"
#include "files/data_file_source.h"

#include <QFileInfo>

namespace qv {

namespace {

constexpr ListKind kAllLists[] = {ListKind::Pictures, ListKind::Melodies, ListKind::Operators, ListKind::Strings};

// The data file's blobs, with the edit in progress laid over them.
class EditedDataSource final : public DataFileSource {
public:
    EditedDataSource(QFile& dataFile, const std::map<std::pair<int, int>, QByteArray>& edited)
        : DataFileSource(dataFile), edited_(edited) {}

    Expected<QByteArray> fetch(const MediaImage& image, int id, int index) override {
        const auto it = edited_.find({id, index});
        if (it == edited_.end()) return DataFileSource::fetch(image, id, index);
        QByteArray out = it->second;
        if (id == kOperatorTable) out.resize(int(OperRecord::kSize), '\0');  // whole records, as the save writes them
        return out;
    }

private:
    const std::map<std::pair<int, int>, QByteArray>& edited_;
};

// Only regular files are service files: a device or a pipe would be read without end.
Result checkRegularFile(const QString& path) {
    const QFileInfo info(path);
    if (info.isFile()) return {};
    if (info.exists()) return Result(ResultCode::Refused, QStringLiteral("Can not open %1: it is not a regular file").arg(path));
    return Result(ResultCode::NotFound, QStringLiteral("Can not open %1: no such file").arg(path));
}

}  // namespace

int tableOfList(ListKind kind) {
    switch (kind) {
    case ListKind::Pictures: return kPictureTable;
    case ListKind::Melodies: return kMelodyTable;
    case ListKind::Operators: return kOperatorTable;
    case ListKind::Strings: return kStringTable;
    }
    return 0;
}

const char* listName(ListKind kind) {
    static constexpr const char* names[] = {"pictures", "melodies", "operators", "strings"};
    return names[size_t(kind)];
}

std::optional<ListKind> listNamed(const QString& name) {
    for (ListKind kind : kListKinds)
        if (name == QLatin1String(listName(kind))) return kind;
    return std::nullopt;
}

Workspace::Workspace() : image_(std::make_unique<MediaImage>()) {}
Workspace::~Workspace() = default;

void Workspace::close() {
    tableFile_.close();
    dataFile_.close();
    chosenName_.clear();
    loaded_.reset();
    reserved_.reset();
    resetLists();
}

void Workspace::reserveNames() {
    QStringList paths{chosenName_};
    const ServiceFileNames names(chosenName_);
    for (const ServiceFileNames& n : {names, names.resolvedForRewrite()})
        paths << n.sav << n.mem << n.mru << n.sa2 << n.me2 << n.swapMarker << n.lock;
    reserved_ = std::make_unique<ReservedNames>(paths, QFileInfo(chosenName_).fileName());
}

void Workspace::resetLists() {
    for (auto& t : ticks_) t.clear();
}

std::unique_ptr<PairLockGuard> Workspace::lockPair(const QString& chosenName) {
    return std::make_unique<PairLockGuard>(lock_, ServiceFileNames(chosenName).resolvedForRewrite().lock);
}

Result Workspace::open(const QString& chosenName) {
    if (Result s = checkRegularFile(chosenName); !s) return s;
    const auto guard = lockPair(chosenName);
    if (!guard->status()) return guard->status();
    return openLocked(chosenName);
}

Result Workspace::openLocked(const QString& chosenName) {
    auto next = std::make_unique<MediaImage>(*image_);  // absent tables keep what they held
    const ServiceFileNames names(chosenName);
    if (Result s = recoverInterruptedRewrite(names.resolvedForRewrite()); !s) return s;

    QFile table(chosenName);
    if (!table.open(QIODevice::ReadOnly))
        return Result(ResultCode::DiskError, QStringLiteral("Can not open %1: %2").arg(chosenName, fileErrorReason(table)));
    const Expected<LoadedTables> loaded = readTableFile(table, chosenName, *next);
    if (!loaded) return loaded.error();

    QFile data(names.mem);
    if (QFileInfo::exists(names.mem)) {
        if (Result s = checkRegularFile(names.mem); !s) return s;
        if (!data.open(QIODevice::ReadOnly))
            return Result(ResultCode::DiskError, QStringLiteral("Can not open %1: %2").arg(names.mem, fileErrorReason(data)));
        if (Result s = checkBlobsInside(*next, *loaded, data.size(), names.mem); !s) return s;
    }

    // Everything could be read: the new service file replaces the current one.
    image_ = std::move(next);
    loaded_ = *loaded;
    chosenName_ = chosenName;
    reserveNames();
    reopenFiles(names);
    resetLists();
    for (ListKind k : kAllLists) ticks(k).assign(size_t(rowCount(k)), false);
    if (loaded_.test(kMelodyTable)) melodyFileNames_ = loadMelodyFileNames(names.mru);
    return {};
}

void Workspace::reopenFiles(const ServiceFileNames& names) {
    // Both stay open for reading only: nothing writes into them; a rewrite replaces them.
    tableFile_.close();
    dataFile_.close();
    tableFile_.setFileName(chosenName_);
    tableFile_.open(QIODevice::ReadOnly);
    dataFile_.setFileName(names.mem);
    if (QFileInfo::exists(names.mem)) dataFile_.open(QIODevice::ReadOnly);
}

int Workspace::rowCount(ListKind kind) const {
    const int id = tableOfList(kind);
    if (!loaded_.test(size_t(id)) || !dataFile_.isOpen()) return 0;
    const int n = int(image_->count(id));
    return kind == ListKind::Pictures ? std::max(0, n - 1) : n;
}

Expected<QByteArray> Workspace::readBlob(int table, int index) {
    if (editing_) {
        const auto it = editedBlobs_.find({table, index});
        if (it != editedBlobs_.end()) return it->second;
    }
    const BlobRef b = image_->blob(table, index);
    if (!dataFile_.isOpen()) return Result::failure(QStringLiteral("No data file is open"));
    if (!dataFile_.seek(b.memOffset))
        return Result(ResultCode::DiskError, QStringLiteral("Can not read %1").arg(dataFile_.fileName()));
    QByteArray out = dataFile_.read(b.length);
    if (out.size() != qsizetype(b.length))
        return Result(ResultCode::DiskError, QStringLiteral("Can not read item %1 from %2").arg(index).arg(dataFile_.fileName()));
    return out;
}

Result Workspace::writeBlob(int table, int index, const QByteArray& bytes) {
    if (!editing_) return edit([&] { return writeBlob(table, index, bytes); });
    const BlobRef b = image_->blob(table, index);
    if (qsizetype(b.length) != bytes.size())
        return Result(ResultCode::Refused, QStringLiteral("An item keeps its length of %1 bytes").arg(b.length));
    editedBlobs_[{table, index}] = bytes;
    return {};
}

Result Workspace::edit(const std::function<Result()>& change) {
    if (editing_) return change();  // part of the edit already in progress
    if (!hasDataFile()) return Result::failure(QStringLiteral("No service file with a data file is open"));
    const auto guard = lockPair(chosenName_);
    if (!guard->status()) return guard->status();

    const auto imageBefore = std::make_unique<MediaImage>(*image_);
    const auto ticksBefore = ticks_;
    const LoadedTables loadedBefore = loaded_;
    Result s;
    // Once the new data file is in place the edit is on the disk (an unfinished swap is
    // completed at the next open); before that, nothing of it may stay.
    const auto undo = [&] {
        editing_ = false;
        editedBlobs_.clear();
        if (s == ResultCode::Unfinished) return;
        *image_ = *imageBefore;
        ticks_ = ticksBefore;
        loaded_ = loadedBefore;
    };
    try {
        editing_ = true;
        s = change();
        editing_ = false;
        if (s) {
            EditedDataSource source(dataFile_, editedBlobs_);
            s = rewriteLocked(source, RewriteOptions{});
        }
    } catch (...) {
        undo();  // out of memory half way, say: the workspace stays as it was
        throw;
    }
    if (!s) undo();
    editedBlobs_.clear();
    return s;
}

Result Workspace::save() {
    if (editing_) return {};  // the edit in progress saves when it ends
    if (!hasDataFile()) return Result::failure(QStringLiteral("No service file with a data file is open"));
    return edit([] { return Result(); });
}

Result Workspace::rewriteFrom(BlobSource& source, const RewriteOptions& options) {
    if (!isOpen()) return Result::failure(QStringLiteral("No service file is open"));
    const auto guard = lockPair(chosenName_);
    if (!guard->status()) return guard->status();
    return rewriteLocked(source, options);
}

Result Workspace::rewriteLocked(BlobSource& source, const RewriteOptions& options) {
    if (Result s = checkRewritable(*image_, loaded_, chosenName_); !s) return s;
    const ServiceFileNames names(chosenName_);
    const ServiceFileNames targets = names.resolvedForRewrite();
    RewriteOptions withHook = options;
    if (faultHook_) withHook.faultHook = faultHook_;
    const Expected<std::unique_ptr<MediaImage>> rewritten = writeNewPair(*image_, source, withHook, targets);
    if (!rewritten) return rewritten.error();
    if (options.beforeSwap) {
        if (Result s = options.beforeSwap(); !s) {
            QFile::remove(targets.sa2);
            QFile::remove(targets.me2);
            return s;
        }
    }

    // The platform may refuse to replace open files.
    tableFile_.close();
    dataFile_.close();
    const Result swap = swapNewPairIn(targets, withHook.faultHook);
    if (swap.ok() || swap == ResultCode::Unfinished) {
        // The data file on disk is the new one: the image must address its blobs. Copied into
        // the same object, so that references into the image stay valid.
        *image_ = **rewritten;
        LoadedTables nowPresent;
        for (int id : kSectionOrder)
            if (image_->entry(id).present == id) nowPresent.set(size_t(id));
        loaded_ = nowPresent;
    }
    if (swap.ok() && chosenName_ != names.sav) {
        chosenName_ = names.sav;
        reserveNames();
    }
    reopenFiles(ServiceFileNames(chosenName_));
    for (ListKind k : kAllLists) ticks(k).resize(size_t(rowCount(k)), false);
    return swap;
}

}  // namespace qv
