#pragma once
// The fixed-size records of the phone's media area as the table file stores them.
// Each record knows its stored size and reads/writes itself field by field, little-endian;
// reserved bytes are kept so that they survive every rewrite unchanged.
#include <array>
#include <cstddef>
#include <cstdint>

namespace qv {

struct DirectoryEntry {
    static constexpr size_t kSize = 16;
    uint8_t present = 0;  // the table id when present, 0 when absent
    std::array<uint8_t, 3> reserved{};
    uint32_t offset = 0;  // start of the compressed section in the table file
    uint32_t count = 0;   // items in use
    uint32_t zsize = 0;   // compressed length
    void read(const uint8_t* p);
    void write(uint8_t* p) const;
};

// The 220-byte directory at the start of the table file.
struct TableDirectory {
    static constexpr size_t kSize = 220;
    static constexpr int kEntries = 13;
    uint16_t phoneType = 0;
    std::array<uint8_t, 2> reserved2{};
    uint32_t versionAddress = 0;
    std::array<uint8_t, 4> reserved8{};
    std::array<DirectoryEntry, kEntries> entries{};
    void read(const uint8_t* p);
    void write(uint8_t* p) const;
};

struct PictEntry {
    static constexpr size_t kSize = 20;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t format = 0;
    uint8_t variant = 0;
    std::array<uint8_t, 2> reserved{};
    uint32_t address = 0;
    uint32_t size = 0;
    uint32_t memOffset = 0;
    void read(const uint8_t* p);
    void write(uint8_t* p) const;
};

struct MelEntry {
    static constexpr size_t kSize = 40;
    static constexpr int kNameMax = 23;
    // The nameString of a melody that no string names.
    static constexpr uint16_t kNoNameString = 0xFFFF;
    uint16_t reserved = 0;
    uint16_t nameString = kNoNameString;  // string row naming the melody
    uint32_t address = 0;
    uint32_t size = 0;
    std::array<uint8_t, 24> name{};  // short string: length byte, then up to 23 cp1251 bytes
    uint32_t memOffset = 0;
    void read(const uint8_t* p);
    void write(uint8_t* p) const;
};

struct OperEntry {
    static constexpr size_t kSize = 16;
    std::array<uint8_t, 4> reserved{};
    uint32_t address = 0;
    uint32_t storedLength = 0;
    uint32_t memOffset = 0;
    void read(const uint8_t* p);
    void write(uint8_t* p) const;
};

// The unpacked operator as held in memory and in the data file.
struct OperRecord {
    static constexpr size_t kSize = 184;
    uint16_t code0 = 0;
    uint16_t code1 = 0;
    std::array<uint8_t, 30> name1{};
    std::array<uint8_t, 50> name2{};
    std::array<uint8_t, 100> name3{};
    void read(const uint8_t* p);
    void write(uint8_t* p) const;
};

struct CountryName {
    static constexpr size_t kSize = 7;
    std::array<uint8_t, 7> bytes{};  // length byte, then up to 6 characters
    void read(const uint8_t* p);
    void write(uint8_t* p) const;
};

struct StrEntry {
    static constexpr size_t kSize = 24;
    uint16_t id = 0;
    uint8_t fontAttribute = 0;
    uint8_t reserved3 = 0;
    uint16_t length = 0;
    std::array<uint8_t, 2> reserved6{};
    uint32_t address = 0;
    uint32_t memOffset = 0;
    std::array<uint8_t, 4> reserved16{};
    uint16_t size = 0;
    std::array<uint8_t, 2> reserved22{};
    void read(const uint8_t* p);
    void write(uint8_t* p) const;
};

// The phone font's character map.
struct CharMap {
    static constexpr size_t kSize = 548;
    static constexpr int kGlyphsPerPage = 300;
    std::array<uint8_t, 10> reserved0{};
    uint16_t glyphBase = 0;
    uint32_t pageGap = 0;
    std::array<uint8_t, 10> reserved16{};
    std::array<uint8_t, kGlyphsPerPage> charOfGlyph{};
    std::array<uint8_t, 212> reserved326{};
    uint16_t glyphCount = 0;
    uint16_t lineFeedGlyph = 0;
    std::array<uint8_t, 6> reserved542{};
    void read(const uint8_t* p);
    void write(uint8_t* p) const;
};

// Layout of the phone's packed operator record.
struct OperFormat {
    static constexpr size_t kSize = 28;
    std::array<uint8_t, 10> reserved0{};
    uint16_t name1Offset = 0, name1Length = 0;
    uint16_t name2Offset = 0, name2Length = 0;
    uint16_t name3Offset = 0, name3Length = 0;
    uint8_t reserved22 = 0;
    uint8_t recordSize = 0;
    std::array<uint8_t, 4> reserved24{};
    void read(const uint8_t* p);
    void write(uint8_t* p) const;
};

}  // namespace qv
