#pragma once
// The open service file and everything that goes with it: the media image, the table file
// and data file, the tick marks of the four lists and the remembered melody file names.
// The main window and the command-line tool each own one.
#include "base/expected.h"
#include "base/file_output.h"
#include "files/mru_file.h"
#include "files/pair_lock.h"
#include "files/service_file_names.h"
#include "files/service_file_rewriter.h"
#include "files/table_file_reader.h"
#include "image/media_image.h"

#include <QFile>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace qv {

enum class ListKind { Pictures, Melodies, Operators, Strings };
inline constexpr ListKind kListKinds[] = {ListKind::Pictures, ListKind::Melodies, ListKind::Operators, ListKind::Strings};
int tableOfList(ListKind kind);
// What the user calls the list in commands, JSON fields and messages: "pictures", "melodies",
// "operators", "strings".
const char* listName(ListKind kind);
std::optional<ListKind> listNamed(const QString& name);

class Workspace {
public:
    Workspace();
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Opens a table file and, when it exists, its data file. Reads into a copy, so a file
    // that cannot be read leaves the current service file as it was.
    Result open(const QString& chosenName);
    void close();

    bool isOpen() const { return !chosenName_.isEmpty(); }
    bool hasDataFile() const { return dataFile_.isOpen(); }
    const QString& chosenName() const { return chosenName_; }
    ServiceFileNames names() const { return ServiceFileNames(chosenName_); }
    const LoadedTables& loadedTables() const { return loaded_; }

    MediaImage& image() { return *image_; }
    const MediaImage& image() const { return *image_; }

    // Rows of a list: the picture list shows one row fewer than its table counts.
    int rowCount(ListKind kind) const;

    // One item's blob as the service file holds it (with the edit in progress, if any).
    Expected<QByteArray> readBlob(int table, int index);
    // New bytes for an item, of the item's length. The open data file is never written in
    // place: inside edit() the bytes are held until the edit is saved; alone, writing a blob
    // is an edit of its own and saves the service file.
    Result writeBlob(int table, int index, const QByteArray& bytes);

    // Runs `change` (which may change image() and call writeBlob()) and saves the result as a
    // new pair. When the change or the save fails, the image, the ticks and the files are as
    // they were before, and the failure is returned.
    Result edit(const std::function<Result()>& change);

    // Rewrites the service file from the open data file (the save button).
    Result save();

    // Tests make the steps of every later rewrite of this workspace fail or stop dead.
    void setRewriteFaultHook(RewriteFaultHook hook) { faultHook_ = std::move(hook); }

    // Keeps other processes from rewriting the pair for as long as the guard lives (a whole
    // command-line edit: open, change, save). Saves take it themselves.
    std::unique_ptr<PairLockGuard> lockPair(const QString& chosenName);
    // Builds the data file (and rewrites the table file) through `source`, then opens it.
    Result rewriteFrom(BlobSource& source, const RewriteOptions& options);

    std::vector<bool>& ticks(ListKind kind) { return ticks_[size_t(kind)]; }
    MelodyFileNames& melodyFileNames() { return melodyFileNames_; }

    // The data file stays open for reading while the service file is current.
    QFile& dataFile() { return dataFile_; }

private:
    Result openLocked(const QString& chosenName);
    // Fails with the code Unfinished when the new data file is in place but the swap did not
    // end: the image then addresses the new data file.
    Result rewriteLocked(BlobSource& source, const RewriteOptions& options);
    void reopenFiles(const ServiceFileNames& names);
    void resetLists();
    void reserveNames();

    std::unique_ptr<MediaImage> image_;
    QString chosenName_;
    QFile tableFile_;
    QFile dataFile_;
    LoadedTables loaded_;
    std::array<std::vector<bool>, 4> ticks_;
    MelodyFileNames melodyFileNames_;
    PairLock lock_;
    // The blobs of the edit in progress, by table and index.
    std::map<std::pair<int, int>, QByteArray> editedBlobs_;
    bool editing_ = false;
    RewriteFaultHook faultHook_;
    // No export may take the name of one of the open service file's files.
    std::unique_ptr<ReservedNames> reserved_;
};

}  // namespace qv
