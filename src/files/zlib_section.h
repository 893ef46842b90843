#pragma once
// One table section of a table file: a zlib stream (RFC 1950) written at level 9.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace qv {

QByteArray deflateSection(QByteArrayView block);
// Inflates a whole stream; refuses a corrupt or truncated stream and one that would give
// more than `maxSize` bytes.
std::optional<QByteArray> inflateSection(QByteArrayView stream, int maxSize, QString* error);

}  // namespace qv
