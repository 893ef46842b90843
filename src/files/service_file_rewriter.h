#pragma once
// Rewriting a service file: the new table file and data file are written beside the old ones
// (.sa2, .me2) and then swapped in so that, after a failure or a crash at any point, there is
// either the old pair or the new pair, never a mix.
#include "base/expected.h"
#include "files/service_file_names.h"
#include "image/media_image.h"

#include <QByteArray>
#include <functional>
#include <memory>

namespace qv {

// Where each item's blob comes from: the open data file (save), the phone, or flash dumps.
class BlobSource {
public:
    virtual ~BlobSource() = default;
    // The blob that the new data file stores for entry `index` of table `id` (operators: one
    // 184-byte record).
    virtual Expected<QByteArray> fetch(const MediaImage& image, int id, int index) = 0;
    // Where an item's bytes come from, so that entries claiming the same bytes can be told
    // apart from distinct items: the phone and flash dumps by address, the data file by offset.
    virtual uint32_t placeOf(const BlobRef& blob) const { return blob.address; }
};

// Steps at which tests make a rewrite fail (and clean up) or stop dead as a crash would.
enum class RewriteStep { CreateFiles, WriteItems, WriteTables, Flush, Marker, SwapData, SwapTable, Finish };
enum class FaultKind { None, Fail, Crash };
using RewriteFaultHook = std::function<FaultKind(RewriteStep)>;

struct RewriteOptions {
    bool renumberStrings = true;  // saving and the dump import; the phone read leaves ids alone
    // Runs when the new pair is complete, before it is swapped in (the phone read finishes its
    // conversation here); a failure drops the new pair.
    std::function<Result()> beforeSwap;
    // Tests make steps fail here; empty in the programs.
    RewriteFaultHook faultHook;
};

// Writes ".sa2" and ".me2" from `image` and `source`, and gives the image with the new
// offsets and lengths. The new files take the modes of the files they will replace, and must
// open again as a service file before they are kept. On failure both files are removed.
// `names` are the names of a rewrite (ServiceFileNames::resolvedForRewrite).
Expected<std::unique_ptr<MediaImage>> writeNewPair(const MediaImage& image, BlobSource& source,
                                                   const RewriteOptions& options, const ServiceFileNames& names);

// Swaps ".sa2"/".me2" in for ".sav"/".mem". The files must be closed by the caller. A failure
// with the code Unfinished comes after the new ".mem" is in place (the next open puts the new
// table file beside it); after any other failure the old pair is whole.
Result swapNewPairIn(const ServiceFileNames& names, const RewriteFaultHook& faultHook = {});

// Completes a swap that a crash interrupted (a marker is left), or removes the leftovers of a
// rewrite that never reached its swap. Called before a table file is read, while the pair is
// locked (PairLock): without the lock the leftovers may be another process's save in progress.
Result recoverInterruptedRewrite(const ServiceFileNames& names);

}  // namespace qv
