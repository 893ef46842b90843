#include "image/media_image.h"

#include <algorithm>
#include <cstring>

namespace qv {
namespace {

template <typename Record, size_t N>
QByteArray serialize(const std::array<Record, N>& table) {
    QByteArray out(int(Record::kSize * N), '\0');
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    for (const Record& r : table) {
        r.write(p);
        p += Record::kSize;
    }
    return out;
}

template <typename Record, size_t N>
void deserialize(std::array<Record, N>& table, const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData());
    for (Record& r : table) {
        r.read(p);
        p += Record::kSize;
    }
}

template <typename Record>
QByteArray serializeOne(const Record& r) {
    QByteArray out(int(Record::kSize), '\0');
    r.write(reinterpret_cast<uint8_t*>(out.data()));
    return out;
}

template <size_t N>
QByteArray rawBytes(const std::array<uint8_t, N>& a) {
    return QByteArray(reinterpret_cast<const char*>(a.data()), int(N));
}

}  // namespace

int storedTableSize(int id) {
    switch (id) {
    case kPictureTable: return kPictCapacity * int(PictEntry::kSize);
    case kMelodyTable: return kMelCapacity * int(MelEntry::kSize);
    case kOperatorTable: return kOperCapacity * int(OperEntry::kSize);
    case kCountryTable: return kCountryCapacity * int(CountryName::kSize);
    case kAux5Table: return kAux5Size;
    case kAux6Table: return kAux6Size;
    case kCharMapTable: return kCharMapBlockSize;
    case kStringTable: return kStrCapacity * int(StrEntry::kSize);
    case kOperatorFormatTable: return int(OperFormat::kSize);
    default: return 0;
    }
}

int tableCapacity(int id) {
    switch (id) {
    case kPictureTable: return kPictCapacity;
    case kMelodyTable: return kMelCapacity;
    case kOperatorTable: return kOperCapacity;
    case kStringTable: return kStrCapacity;
    default: return 0;
    }
}

bool hasBlobs(int id) { return tableCapacity(id) > 0; }

QByteArray MediaImage::tableBlock(int id) const {
    switch (id) {
    case kPictureTable: return serialize(pictures);
    case kMelodyTable: return serialize(melodies);
    case kOperatorTable: return serialize(operators);
    case kCountryTable: return serialize(countries);
    case kAux5Table: return rawBytes(aux5);
    case kAux6Table: return rawBytes(aux6);
    case kCharMapTable:
        return serializeOne(charMap) + rawBytes(aux6).left(kCharMapTailOfAux6);
    case kStringTable: return serialize(strings);
    case kOperatorFormatTable: return serializeOne(operFormat);
    default: return {};
    }
}

Result MediaImage::loadTableBlock(int id, QByteArrayView bytes) {
    // The character map section may run on into block 6, which follows it in memory.
    const int room = id == kCharMapTable ? int(CharMap::kSize) + kAux6Size : storedTableSize(id);
    if (room == 0) return Result(ResultCode::Refused, QStringLiteral("table %1 does not exist").arg(id));
    if (bytes.size() > room)
        return Result(ResultCode::TooLarge, QStringLiteral("table %1 unpacks to %2 bytes, more than its %3")
                                                .arg(id).arg(bytes.size()).arg(room));
    QByteArray block = id == kCharMapTable ? serializeOne(charMap) + rawBytes(aux6) : tableBlock(id);
    std::memcpy(block.data(), bytes.data(), size_t(bytes.size()));
    const auto* p = reinterpret_cast<const uint8_t*>(block.constData());
    switch (id) {
    case kPictureTable: deserialize(pictures, block); break;
    case kMelodyTable: deserialize(melodies, block); break;
    case kOperatorTable: deserialize(operators, block); break;
    case kCountryTable: deserialize(countries, block); break;
    case kAux5Table: std::copy_n(p, kAux5Size, aux5.begin()); break;
    case kAux6Table: std::copy_n(p, kAux6Size, aux6.begin()); break;
    case kCharMapTable:
        charMap.read(p);
        std::copy_n(p + CharMap::kSize, kAux6Size, aux6.begin());
        break;
    case kStringTable: deserialize(strings, block); break;
    case kOperatorFormatTable: operFormat.read(p); break;
    }
    return {};
}

bool MediaImage::isReversedOrderModel() const {
    return directory.phoneType == 4 || directory.phoneType == 6 || directory.phoneType == 8;
}

bool MediaImage::needsSecondDump() const {
    const uint16_t t = directory.phoneType;
    return t == 3 || t == 4 || t == 5 || t == 6 || t == 8;
}

BlobRef MediaImage::blob(int id, int index) const {
    const size_t i = size_t(index);
    switch (id) {
    case kPictureTable: return {pictures[i].memOffset, pictures[i].size, pictures[i].address};
    case kMelodyTable: return {melodies[i].memOffset, melodies[i].size, melodies[i].address};
    case kOperatorTable:
        return {operators[i].memOffset, std::min<uint32_t>(operators[i].storedLength, OperRecord::kSize),
                operators[i].address};
    case kStringTable: return {strings[i].memOffset, strings[i].size, strings[i].address};
    default: return {};
    }
}

QByteArray packOperatorRecord(const OperRecord& record, const OperFormat& format) {
    QByteArray packed(format.recordSize + 1, '\0');
    auto* p = reinterpret_cast<uint8_t*>(packed.data());
    p[0] = uint8_t(record.code0);
    p[1] = uint8_t(record.code0 >> 8);
    p[2] = uint8_t(record.code1);
    p[3] = uint8_t(record.code1 >> 8);
    // A name that the format places (partly) past the record is cut at the record's end.
    auto place = [&](const uint8_t* name, size_t capacity, uint16_t offset, uint16_t length) {
        const size_t n = std::min<size_t>(length, capacity);
        for (size_t k = 0; k < n && offset + k < size_t(packed.size()); ++k) p[offset + k] = name[k];
    };
    place(record.name1.data(), record.name1.size(), format.name1Offset, format.name1Length);
    place(record.name2.data(), record.name2.size(), format.name2Offset, format.name2Length);
    place(record.name3.data(), record.name3.size(), format.name3Offset, format.name3Length);
    return packed.left(format.recordSize);
}

OperRecord unpackOperatorRecord(QByteArrayView packed, const OperFormat& format) {
    OperRecord r;
    const auto* p = reinterpret_cast<const uint8_t*>(packed.data());
    const size_t n = size_t(packed.size());
    auto byteAt = [&](size_t k) -> uint8_t { return k < n ? p[k] : 0; };
    r.code0 = uint16_t(byteAt(0) | (byteAt(1) << 8));
    r.code1 = uint16_t(byteAt(2) | (byteAt(3) << 8));
    auto take = [&](uint8_t* name, size_t capacity, uint16_t offset, uint16_t length) {
        const size_t count = std::min<size_t>(length, capacity);
        for (size_t k = 0; k < count; ++k) name[k] = byteAt(size_t(offset) + k);
    };
    take(r.name1.data(), r.name1.size(), format.name1Offset, format.name1Length);
    take(r.name2.data(), r.name2.size(), format.name2Offset, format.name2Length);
    take(r.name3.data(), r.name3.size(), format.name3Offset, format.name3Length);
    return r;
}

}  // namespace qv
