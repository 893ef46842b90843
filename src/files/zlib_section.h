#pragma once
// One table section of a table file: a zlib stream (RFC 1950) written at level 9.
#include "base/expected.h"

#include <QByteArray>
#include <QByteArrayView>

namespace qv {

QByteArray deflateSection(QByteArrayView block);
// Inflates a whole stream; refuses a corrupt or truncated stream (Damaged) and one that would
// give more than `maxSize` bytes (TooLarge).
Expected<QByteArray> inflateSection(QByteArrayView stream, int maxSize);

}  // namespace qv
