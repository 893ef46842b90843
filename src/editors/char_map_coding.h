#pragma once
// Turning the phone's glyph codes into text and back through the font's character map.
// Text is handled as cp1251 bytes; the phone's line break is byte 182 ("¶").
#include "image/media_records.h"

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <cstdint>
#include <vector>

namespace qv {

constexpr uint8_t kLineBreakChar = 182;
constexpr int kFontPages = 6;
constexpr int kMaxStringChars = 1026;

class CharMapCoding {
public:
    CharMapCoding();

    // Adds the map's glyphs to the tables. Entries that the map does not set keep what an
    // earlier map put there (the tables are never cleared).
    void rebuild(const CharMap& map);

    // One character per little-endian 16-bit glyph code.
    QByteArray decode(QByteArrayView encoded) const;
    // Glyph codes of `text` in font page `page` (0..5), two bytes per character.
    QByteArray encode(QByteArrayView text, int page) const;

    uint16_t glyphBase() const { return glyphBase_; }

private:
    // Indexed by every relative glyph number a 16-bit code can give, so no map, however
    // wide its pages, can reach outside the table.
    std::vector<uint8_t> glyphToChar_;
    std::array<std::array<uint16_t, 256>, kFontPages> charToGlyph_{};
    uint16_t glyphBase_ = 0;
};

}  // namespace qv
