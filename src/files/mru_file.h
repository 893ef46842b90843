#pragma once
// The ".mru" file: for each melody slot, the file last imported into it.
#include "base/result.h"

#include <QString>
#include <array>

namespace qv {

constexpr int kMruSlots = 256;
// Slot n (1..256) belongs to melody entry n - 1; index 0 of the array is slot 1.
using MelodyFileNames = std::array<QString, kMruSlots>;

MelodyFileNames loadMelodyFileNames(const QString& mruPath);
Result saveMelodyFileNames(const QString& mruPath, const MelodyFileNames& names);

}  // namespace qv
