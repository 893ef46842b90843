#pragma once
// The input layout of fuzz_table_file, shared with the seed maker.
//
//   byte 0       mode: bit 0 clear = the rest is a table file as it stands on disk;
//                      bit 0 set   = the rest is a directory with uncompressed sections, which
//                                    the target packs into a table file first
//   bytes 1..4   size of the data file the blobs are checked against (little-endian)
//   bytes 5..    the body
//
// A packed body is the 220-byte directory followed, for each table that the directory marks
// present (in the order sections stand in the file), by a 16-bit little-endian length and that
// many bytes of the table's block. Offsets and compressed sizes of those tables are filled in
// when packing, so mutations reach the table contents instead of dying in the zlib checksum.
#include "files/zlib_section.h"
#include "image/byte_order.h"
#include "image/media_image.h"

#include <QByteArray>
#include <QByteArrayView>
#include <algorithm>
#include <cstdint>
#include <map>

namespace qv::fuzz {

constexpr qsizetype kInputHeaderSize = 5;
constexpr uint8_t kModePacked = 1;

struct TableFuzzInput {
    bool packed = false;
    uint32_t dataSize = 0;
    QByteArrayView body;
};

inline TableFuzzInput splitInput(QByteArrayView data) {
    TableFuzzInput in;
    if (data.size() < kInputHeaderSize) {
        in.body = data;
        return in;
    }
    const auto* p = reinterpret_cast<const uint8_t*>(data.data());
    in.packed = (p[0] & kModePacked) != 0;
    in.dataSize = getU32(p + 1);
    in.body = data.sliced(kInputHeaderSize);
    return in;
}

inline QByteArray makeInput(bool packed, uint32_t dataSize, QByteArrayView body) {
    QByteArray out(kInputHeaderSize, '\0');
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    p[0] = packed ? kModePacked : 0;
    putU32(p + 1, dataSize);
    out.append(body);
    return out;
}

// The table file that a packed body stands for. A body shorter than the directory is taken as
// it is (the reader must refuse it); sections cut short by the end of the input stay short.
inline QByteArray packTableFile(QByteArrayView body) {
    if (body.size() < qsizetype(TableDirectory::kSize)) return body.toByteArray();
    TableDirectory dir;
    dir.read(reinterpret_cast<const uint8_t*>(body.data()));
    QByteArray sections;
    qsizetype pos = qsizetype(TableDirectory::kSize);
    for (int id : kSectionOrder) {
        DirectoryEntry& e = dir.entries[size_t(id)];
        if (e.present != id) continue;
        qsizetype length = 0;
        if (body.size() - pos >= 2) {
            length = getU16(reinterpret_cast<const uint8_t*>(body.data()) + pos);
            pos += 2;
        }
        length = std::min(length, body.size() - pos);
        const QByteArray stream = deflateSection(body.sliced(pos, length));
        pos += length;
        e.offset = uint32_t(TableDirectory::kSize + sections.size());
        e.zsize = uint32_t(stream.size());
        sections += stream;
    }
    QByteArray file(qsizetype(TableDirectory::kSize), '\0');
    dir.write(reinterpret_cast<uint8_t*>(file.data()));
    return file + sections;
}

// The packed body of a directory and the blocks of its present tables; trailing zero bytes of
// a block are dropped, since a short section leaves the rest of a fresh image's block zero.
inline QByteArray makePackedBody(const TableDirectory& dir, const std::map<int, QByteArray>& blocks) {
    QByteArray out(qsizetype(TableDirectory::kSize), '\0');
    dir.write(reinterpret_cast<uint8_t*>(out.data()));
    for (int id : kSectionOrder) {
        if (dir.entries[size_t(id)].present != id) continue;
        const auto it = blocks.find(id);
        QByteArray block = it == blocks.end() ? QByteArray() : it->second;
        while (!block.isEmpty() && block.back() == '\0') block.chop(1);
        block.truncate(0xFFFF);
        uint8_t length[2];
        putU16(length, uint16_t(block.size()));
        out.append(reinterpret_cast<const char*>(length), 2);
        out += block;
    }
    return out;
}

}  // namespace qv::fuzz
