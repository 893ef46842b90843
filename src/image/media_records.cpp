#include "image/media_records.h"

#include "image/byte_order.h"

#include <algorithm>

namespace qv {
namespace {
template <size_t N>
void getBytes(std::array<uint8_t, N>& dst, const uint8_t* p) { std::copy_n(p, N, dst.begin()); }
template <size_t N>
void putBytes(uint8_t* p, const std::array<uint8_t, N>& src) { std::copy_n(src.begin(), N, p); }
}  // namespace

void DirectoryEntry::read(const uint8_t* p) {
    present = p[0];
    getBytes(reserved, p + 1);
    offset = getU32(p + 4);
    count = getU32(p + 8);
    zsize = getU32(p + 12);
}
void DirectoryEntry::write(uint8_t* p) const {
    p[0] = present;
    putBytes(p + 1, reserved);
    putU32(p + 4, offset);
    putU32(p + 8, count);
    putU32(p + 12, zsize);
}

void TableDirectory::read(const uint8_t* p) {
    phoneType = getU16(p);
    getBytes(reserved2, p + 2);
    versionAddress = getU32(p + 4);
    getBytes(reserved8, p + 8);
    for (int k = 0; k < kEntries; ++k) entries[k].read(p + 12 + 16 * k);
}
void TableDirectory::write(uint8_t* p) const {
    putU16(p, phoneType);
    putBytes(p + 2, reserved2);
    putU32(p + 4, versionAddress);
    putBytes(p + 8, reserved8);
    for (int k = 0; k < kEntries; ++k) entries[k].write(p + 12 + 16 * k);
}

void PictEntry::read(const uint8_t* p) {
    width = getU16(p);
    height = getU16(p + 2);
    format = p[4];
    variant = p[5];
    getBytes(reserved, p + 6);
    address = getU32(p + 8);
    size = getU32(p + 12);
    memOffset = getU32(p + 16);
}
void PictEntry::write(uint8_t* p) const {
    putU16(p, width);
    putU16(p + 2, height);
    p[4] = format;
    p[5] = variant;
    putBytes(p + 6, reserved);
    putU32(p + 8, address);
    putU32(p + 12, size);
    putU32(p + 16, memOffset);
}

void MelEntry::read(const uint8_t* p) {
    reserved = getU16(p);
    nameString = getU16(p + 2);
    address = getU32(p + 4);
    size = getU32(p + 8);
    getBytes(name, p + 12);
    memOffset = getU32(p + 36);
}
void MelEntry::write(uint8_t* p) const {
    putU16(p, reserved);
    putU16(p + 2, nameString);
    putU32(p + 4, address);
    putU32(p + 8, size);
    putBytes(p + 12, name);
    putU32(p + 36, memOffset);
}

void OperEntry::read(const uint8_t* p) {
    getBytes(reserved, p);
    address = getU32(p + 4);
    storedLength = getU32(p + 8);
    memOffset = getU32(p + 12);
}
void OperEntry::write(uint8_t* p) const {
    putBytes(p, reserved);
    putU32(p + 4, address);
    putU32(p + 8, storedLength);
    putU32(p + 12, memOffset);
}

void OperRecord::read(const uint8_t* p) {
    code0 = getU16(p);
    code1 = getU16(p + 2);
    getBytes(name1, p + 4);
    getBytes(name2, p + 34);
    getBytes(name3, p + 84);
}
void OperRecord::write(uint8_t* p) const {
    putU16(p, code0);
    putU16(p + 2, code1);
    putBytes(p + 4, name1);
    putBytes(p + 34, name2);
    putBytes(p + 84, name3);
}

void CountryName::read(const uint8_t* p) { getBytes(bytes, p); }
void CountryName::write(uint8_t* p) const { putBytes(p, bytes); }

void StrEntry::read(const uint8_t* p) {
    id = getU16(p);
    fontAttribute = p[2];
    reserved3 = p[3];
    length = getU16(p + 4);
    getBytes(reserved6, p + 6);
    address = getU32(p + 8);
    memOffset = getU32(p + 12);
    getBytes(reserved16, p + 16);
    size = getU16(p + 20);
    getBytes(reserved22, p + 22);
}
void StrEntry::write(uint8_t* p) const {
    putU16(p, id);
    p[2] = fontAttribute;
    p[3] = reserved3;
    putU16(p + 4, length);
    putBytes(p + 6, reserved6);
    putU32(p + 8, address);
    putU32(p + 12, memOffset);
    putBytes(p + 16, reserved16);
    putU16(p + 20, size);
    putBytes(p + 22, reserved22);
}

void CharMap::read(const uint8_t* p) {
    getBytes(reserved0, p);
    glyphBase = getU16(p + 10);
    pageGap = getU32(p + 12);
    getBytes(reserved16, p + 16);
    getBytes(charOfGlyph, p + 26);
    getBytes(reserved326, p + 326);
    glyphCount = getU16(p + 538);
    lineFeedGlyph = getU16(p + 540);
    getBytes(reserved542, p + 542);
}
void CharMap::write(uint8_t* p) const {
    putBytes(p, reserved0);
    putU16(p + 10, glyphBase);
    putU32(p + 12, pageGap);
    putBytes(p + 16, reserved16);
    putBytes(p + 26, charOfGlyph);
    putBytes(p + 326, reserved326);
    putU16(p + 538, glyphCount);
    putU16(p + 540, lineFeedGlyph);
    putBytes(p + 542, reserved542);
}

void OperFormat::read(const uint8_t* p) {
    getBytes(reserved0, p);
    name1Offset = getU16(p + 10);
    name1Length = getU16(p + 12);
    name2Offset = getU16(p + 14);
    name2Length = getU16(p + 16);
    name3Offset = getU16(p + 18);
    name3Length = getU16(p + 20);
    reserved22 = p[22];
    recordSize = p[23];
    getBytes(reserved24, p + 24);
}
void OperFormat::write(uint8_t* p) const {
    putBytes(p, reserved0);
    putU16(p + 10, name1Offset);
    putU16(p + 12, name1Length);
    putU16(p + 14, name2Offset);
    putU16(p + 16, name2Length);
    putU16(p + 18, name3Offset);
    putU16(p + 20, name3Length);
    p[22] = reserved22;
    p[23] = recordSize;
    putBytes(p + 24, reserved24);
}

}  // namespace qv
