#pragma once
// Steps that the read, write and restore tasks share: getting the loader running at the
// working speed, and ending a conversation.
#include "base/result.h"
#include "base/text_keys.h"
#include "link/block_plan.h"
#include "link/phone_link.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace qv {

enum class TaskKind { Read, Write, Restore };

// Loader upload, speed switch and port speed, with their log lines and bar texts. The read
// task sets the port speed (and shows the version) even at 28,800 baud; the write and
// restore tasks only when they switched.
ResultCode prepareLoader(PhoneLink& link, TaskKind kind);
// The bar text of a failed task; the result is the code, or 1 when the user aborted.
ResultCode failTask(PhoneLink& link, ResultCode rc);
// "Reading pictures - 3 of 120"
QString itemProgressText(TextKey labelKey, int k, int total);


// The items of `run` (out of `items`, at loader addresses) in one Read block. `showItem` is
// told the index of the item whose bytes are arriving, item by item as they arrive. On 0 the
// block is in the transfer buffer: item j's bytes from items[j].address − run.address on.
ResultCode readRun(PhoneLink& link, const std::vector<PhoneRange>& items, const BlockRun& run,
                   const std::function<void(size_t item)>& showItem);

// The bytes written as range i (exactly its length); a failure names the file and the fault.
using WrittenBytes = std::function<Result(size_t i, QByteArray& out)>;
// Reads every written range back, in grouped blocks, and compares it with what was written;
// where ranges overlap, the one written last counts. `differing` receives the indexes of the
// ranges whose bytes differ, in ascending order. A read that fails (silence, cancel, a lost
// port) returns its code; bytes that cannot be had return 6 with the link's failure detail.
ResultCode verifyWritten(PhoneLink& link, const std::vector<PhoneRange>& written, const WrittenBytes& bytes,
                         std::vector<size_t>& differing);
// "Checking what was written - 3 of 12"
QString verifyProgressText(int k, int total);

}  // namespace qv
