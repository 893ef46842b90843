#pragma once
// The non-picture content of the demo model: font character map, interface strings, melodies,
// operators and countries. All texts are cp1251 bytes, as the phone and the tables hold them.
#include "image/media_records.h"

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

namespace qv::demo {

struct DemoString {
    QByteArray text;  // 182 ("¶") is the phone's line break
    uint8_t page = 0;  // font page 0..3
};

struct DemoMelody {
    QByteArray name;  // at most 23 bytes
    int size = 0;
    int nameStringRow = -1;  // string row naming the melody; -1 = none
};

struct DemoOperator {
    uint16_t code0 = 0;  // country code, an index of the country table
    uint16_t code1 = 0;  // network number in the low byte
    QByteArray name1, name2, name3;
};

struct DemoCountry {
    uint16_t code = 0;
    QByteArray name;  // at most 6 bytes
};

// Six font pages of 301 glyph numbers from 0x0100 on; glyph 299 is the line break.
CharMap demoCharMap();
// Packed operator records of 56 bytes: names of 10, 25 and 17 bytes.
OperFormat demoOperFormat();

std::vector<DemoString> normalStrings();
// The everyday strings followed by numbered ones up to `count`.
std::vector<DemoString> fullTableStrings(int count);
std::vector<DemoMelody> demoMelodies();
std::vector<DemoOperator> demoOperators();
std::vector<DemoCountry> demoCountries();

// The phone's glyph codes of `text` in font page `page`, two little-endian bytes per character;
// nothing when the map lacks a character.
std::optional<QByteArray> encodeGlyphs(const CharMap& map, const QByteArray& text, int page);

}  // namespace qv::demo
