#pragma once
// The texts of list rows, as the four lists of the main window show them.
#include "image/media_records.h"

#include <QByteArray>
#include <QString>

namespace qv {

// "128x160"
QString pictureRowText(const PictEntry& entry);
// The melody's own short name (length byte, then cp1251 bytes).
QByteArray melodyName(const MelEntry& entry);
// "1 Ring1": row number from 1, a space and the short name.
QString melodyRowText(int index, const MelEntry& entry);
// Bytes of a zero-padded name field up to the first zero byte.
QByteArray nameUpToZero(const uint8_t* bytes, size_t capacity);
// "0250-01 ABC": first code word, low byte of the second, at most 11 characters of name #1.
QString operatorRowText(const OperRecord& record);

}  // namespace qv
