#pragma once
// The in-memory model of one phone's media area: the directory and its nine fixed tables.
#include "base/result.h"
#include "image/media_records.h"

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <cstdint>

namespace qv {

enum TableId : int {
    kPictureTable = 1,
    kMelodyTable = 2,
    kOperatorTable = 3,
    kCountryTable = 4,
    kAux5Table = 5,
    kAux6Table = 6,
    kCharMapTable = 7,
    kStringTable = 8,
    kOperatorFormatTable = 9,
};

constexpr int kPictCapacity = 15001;
constexpr int kMelCapacity = 501;
constexpr int kOperCapacity = 701;
constexpr int kCountryCapacity = 2049;
constexpr int kStrCapacity = 15001;
constexpr int kAux6Size = 4112;
constexpr int kAux5Size = 2064;
// The id-7 block is the character map followed by the start of block 6.
constexpr int kCharMapBlockSize = 4112;
constexpr int kCharMapTailOfAux6 = kCharMapBlockSize - int(CharMap::kSize);  // 3,564

// No phone of this generation has more flash than this: no item, and no data file's worth of
// items, is larger.
constexpr qint64 kMaxFlashBytes = qint64(64) * 1024 * 1024;

// Order in which sections stand in a table file and are read.
constexpr std::array<int, 9> kSectionOrder = {1, 6, 2, 5, 9, 3, 4, 7, 8};

// Where an item's blob lives.
struct BlobRef {
    uint32_t memOffset = 0;
    uint32_t length = 0;
    uint32_t address = 0;
};

struct MediaImage {
    TableDirectory directory;
    std::array<PictEntry, kPictCapacity> pictures{};
    std::array<MelEntry, kMelCapacity> melodies{};
    std::array<OperEntry, kOperCapacity> operators{};
    std::array<OperRecord, kOperCapacity> operRecords{};
    std::array<CountryName, kCountryCapacity> countries{};
    std::array<StrEntry, kStrCapacity> strings{};
    CharMap charMap;
    std::array<uint8_t, kAux6Size> aux6{};
    std::array<uint8_t, kAux5Size> aux5{};
    OperFormat operFormat;

    DirectoryEntry& entry(int id) { return directory.entries[size_t(id)]; }
    const DirectoryEntry& entry(int id) const { return directory.entries[size_t(id)]; }
    // Present for opening a file: the entry's byte equals the table id.
    bool isPresent(int id) const { return entry(id).present == id; }
    uint32_t count(int id) const { return entry(id).count; }

    // Bytes stored for a table (before compression); always the whole block.
    QByteArray tableBlock(int id) const;
    // Copies inflated bytes over the block from its first byte; a shorter section leaves the
    // rest as it was. Refuses bytes beyond the block (for id 7: the map and all of block 6).
    Result loadTableBlock(int id, QByteArrayView bytes);

    // Model flags: types 4, 6 and 8 reverse picture byte and bit orders, keep the strings mode
    // closed and disable melody naming.
    bool isReversedOrderModel() const;
    bool needsSecondDump() const;

    // Blobs of entry i of the tables that have them (pictures, melodies, operators, strings).
    // Operators give the stored length, at most one record.
    BlobRef blob(int id, int index) const;
};

// Stored size of a table's block before compression.
int storedTableSize(int id);
// How many entries a counted table holds; 0 for the single-block tables.
int tableCapacity(int id);
bool hasBlobs(int id);

// Packing rule used when writing to the phone, and unpacking when reading from the phone or
// from flash dumps.
QByteArray packOperatorRecord(const OperRecord& record, const OperFormat& format);
OperRecord unpackOperatorRecord(QByteArrayView packed, const OperFormat& format);

}  // namespace qv
