#pragma once
// Windows-1251, the single-byte code page of every text file and phone string this program handles.
// Our own table keeps the conversion identical on every platform and independent of ICU.
#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringView>
#include <cstdint>

namespace qv {

// Byte 0x98 has no character in the code page; it maps to U+0098 and back so that any byte
// sequence survives a decode/encode round trip unchanged.
QChar cp1251ToChar(uint8_t byte);

// The byte of a character, or -1 when the code page has none.
int charToCp1251(QChar ch);

QString fromCp1251(QByteArrayView bytes);

// Characters without a byte become '?' (a surrogate pair counts as one character).
QByteArray toCp1251(QStringView text);

}  // namespace qv
