#pragma once
// Melody files of the demo model: small SMAF-like files ("MMMD" container with a contents-info
// chunk, an optional-data chunk holding the title and one score track), of an exact size.
#include <QByteArray>
#include <cstdint>

namespace qv::demo {

// A file of exactly `totalSize` bytes (at least 64); the track is filled from `seed`.
QByteArray makeDemoMelody(const QByteArray& title, int totalSize, uint32_t seed);

}  // namespace qv::demo
