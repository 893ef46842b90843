#pragma once
// The open service file and everything that goes with it: the media image, the table file
// and data file, the tick marks of the four lists and the remembered melody file names.
// The main window and the command-line tool each own one.
#include "base/status.h"
#include "files/mru_file.h"
#include "files/service_file_names.h"
#include "files/service_file_rewriter.h"
#include "files/table_file_reader.h"
#include "image/media_image.h"

#include <QFile>
#include <QString>
#include <memory>
#include <vector>

namespace qv {

enum class ListKind { Pictures, Melodies, Operators, Strings };
int tableOfList(ListKind kind);

class Workspace {
public:
    Workspace();
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Opens a table file and, when it exists, its data file. Reads into a copy, so a file
    // that cannot be read leaves the current service file as it was.
    Status open(const QString& chosenName);
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

    // One item's blob in the open data file; an edit keeps the blob's length.
    Status readBlob(int table, int index, QByteArray& out);
    Status writeBlob(int table, int index, const QByteArray& bytes);

    // Rewrites the service file from the open data file (the save button).
    Status save();
    // Builds the data file (and rewrites the table file) through `source`, then opens it.
    Status rewriteFrom(BlobSource& source, const RewriteOptions& options);

    std::vector<bool>& ticks(ListKind kind) { return ticks_[size_t(kind)]; }
    MelodyFileNames& melodyFileNames() { return melodyFileNames_; }

    // The data file is open for reading and writing while the service file is current.
    QFile& dataFile() { return dataFile_; }

private:
    Status openFiles(const QString& chosenName, MediaImage& image, LoadedTables& loaded);
    void resetLists();

    std::unique_ptr<MediaImage> image_;
    QString chosenName_;
    QFile tableFile_;
    QFile dataFile_;
    LoadedTables loaded_;
    std::array<std::vector<bool>, 4> ticks_;
    MelodyFileNames melodyFileNames_;
};

}  // namespace qv
