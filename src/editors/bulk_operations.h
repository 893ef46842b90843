#pragma once
// Whole lists at once: the interface strings as a gettext PO file for translators, the pictures
// and the melodies as a folder of files. An import reads and checks every item before it changes
// anything; refused items are listed, and then either nothing changes or (when asked) the rest is
// applied. The changes are one edit of the workspace: one save, every changed row ticked as the
// single editors tick it.
#include "base/expected.h"
#include "files/workspace.h"

#include <QByteArrayView>
#include <QString>
#include <vector>

namespace qv {

// One item that could not be taken.
struct BulkProblem {
    int row = -1;    // the list row, -1 when the item names none
    QString file;    // where it came from: a file, or "file:line" in a PO file
    QString reason;
};

// The refused items of a batch: the first kListed of them, and how many more there were, so that
// a hostile file of millions of bad entries costs no more than a hundred.
class BulkProblems {
public:
    static constexpr size_t kListed = 100;
    void push_back(BulkProblem p) {
        if (listed_.size() < kListed)
            listed_.push_back(std::move(p));
        else
            ++unlisted_;
    }
    // The listed ones.
    size_t size() const { return listed_.size(); }
    bool empty() const { return listed_.empty(); }
    const BulkProblem& operator[](size_t i) const { return listed_[i]; }
    const BulkProblem& front() const { return listed_.front(); }
    auto begin() const { return listed_.begin(); }
    auto end() const { return listed_.end(); }
    // Every refused item, listed or not.
    qint64 total() const { return qint64(listed_.size()) + unlisted_; }
    qint64 unlisted() const { return unlisted_; }

private:
    std::vector<BulkProblem> listed_;
    qint64 unlisted_ = 0;
};

// The lines that show the problems to the user, one per listed item ("row 3: file: reason"),
// then "… and N more refused" when some were not listed.
QStringList problemLines(const BulkProblems& problems);

// What a batch did. Its failures are Results: the batch's own, and one step after the save; the
// refused items are listed beside them, since the user is shown both.
struct BulkResult {
    // A failure of the batch as a whole (a folder that cannot be read, a save that failed);
    // nothing was changed then.
    Result status;
    // Import: the rows changed and ticked, in increasing order. Export: the rows written.
    std::vector<int> rows;
    // The file of each of `rows`.
    std::vector<QString> files;
    BulkProblems problems;
    // Import: items whose content is what the row already holds.
    int unchanged = 0;
    // Strings: rows whose entry is marked fuzzy; like untranslated ones they are left alone.
    std::vector<int> fuzzy;
    // A step after the changes were saved that failed; the changes stand (melodies: the file
    // that remembers where each came from could not be written). Ok when none did.
    Result afterwards;
};

enum class BulkMode {
    AllOrNothing,  // a refused item leaves everything as it was
    SkipInvalid,   // the items that are fine are applied all the same
};

// --- Strings ---
// One PO entry per string row: msgctxt the row, msgid the text without its padding spaces and
// with the phone's line break (182, "¶") as "\n", msgstr empty, and an extracted comment with
// the length limit and the font page. `language` fills the header's Language field.
Expected<QByteArray> stringsPo(Workspace& ws, const QString& language);
BulkResult exportStrings(Workspace& ws, const QString& poPath, const QString& language = {});
// Applies every entry with a non-empty msgstr (not marked fuzzy) whose text differs from what
// the phone would show now, padded and encoded as the string editor does, in the string's own
// font page. "\n" and "¶" are the line break. Spaces beyond the length limit at the end of a
// text are dropped (they are the padding). Refused: a row that does not exist or has several
// entries, a text longer than its string, a character that the phone's code page or font does
// not have. A PO file that cannot be read is refused whole, whatever the mode.
BulkResult importStrings(Workspace& ws, const QString& poPath, BulkMode mode);
BulkResult importStringsFrom(Workspace& ws, QByteArrayView po, const QString& fileName, BulkMode mode);

// --- Pictures ---
enum class PictureFileType { Png, Bmp };
// "00003_128x160.png": the row in five digits, the picture's size.
QString pictureFileName(const Workspace& ws, int row, PictureFileType type);
// Every picture in the depth its format suggests (see exportPictureKeepingDepth). The folder is
// made when missing; files of the same names are replaced.
BulkResult exportPictures(Workspace& ws, const QString& folder, PictureFileType type);
// Every file whose name begins with a number is taken for that picture row (BMP, PNG or any
// format Qt reads), unless it shows what the row already shows. The rules are the single
// import's (importImage): the same size, an import offered for the format, bytes that fit the
// picture's place.
BulkResult importPictures(Workspace& ws, const QString& folder, BulkMode mode);

// --- Melodies ---
// "00003_" and the melody's export name (melodyExportName), so that names never collide.
QString melodyFileName(Workspace& ws, int row, const std::vector<QString>& stringTexts);
BulkResult exportMelodies(Workspace& ws, const QString& folder);
// Every file whose name begins with a number replaces that melody when its bytes, padded with
// zeros to the slot, differ from the slot; an empty file or one larger than the slot is refused.
// Changed melodies remember their files in the .mru file, as the single import does; when that
// file cannot be written nothing is imported.
BulkResult importMelodies(Workspace& ws, const QString& folder, BulkMode mode);

}  // namespace qv
