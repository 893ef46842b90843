#pragma once
// Steps that the read, write and restore tasks share: getting the loader running at the
// working speed, and ending a conversation.
#include "base/expected.h"
#include "link/block_plan.h"
#include "link/phone_link.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace qv {

enum class TaskKind { Read, Write, Restore };

// Loader upload, speed switch and port speed, with their log lines and progress events. The
// read task sets the port speed (and shows the version) even at 28,800 baud; the write and
// restore tasks only when they switched.
Result prepareLoader(PhoneLink& link, TaskKind kind);
// Ends a failed task: the port closed and the Stopped event. The result is `why`, or 1 when
// the user cancelled.
Result failTask(PhoneLink& link, Result why);
// `rc`, or 1 when the task was cancelled although the step succeeded.
inline Result unlessCancelled(const PhoneLink& link, Result rc) {
    return rc.ok() && link.task.cancelled() ? Result(ResultCode::Aborted) : rc;
}

// The items of `run` (out of `items`, at loader addresses) in one Read block into `block`
// (resized to the run's length). `showItem` is told the index of the item whose bytes are
// arriving, item by item as they arrive. Item j's bytes lie from items[j].address − run.address on.
Result readRun(PhoneLink& link, const std::vector<PhoneRange>& items, const BlockRun& run,
                   const std::function<void(size_t item)>& showItem, std::vector<uint8_t>& block);

// The bytes written as range i (exactly its length); a failure names the file and the fault.
using WrittenBytes = std::function<Expected<QByteArray>(size_t i)>;
// Reads every written range back, in grouped blocks, and compares it with what was written;
// where ranges overlap, the one written last counts. The value is the indexes of the ranges
// whose bytes differ, in ascending order. A read that fails (silence, cancel, a lost port)
// returns its code; bytes that cannot be had return 6 with the reason as detail.
Expected<std::vector<size_t>> verifyWritten(PhoneLink& link, const std::vector<PhoneRange>& written,
                                            const WrittenBytes& bytes);

}  // namespace qv
