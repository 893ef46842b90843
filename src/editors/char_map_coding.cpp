#include "editors/char_map_coding.h"

namespace qv {

CharMapCoding::CharMapCoding() : glyphToChar_(65536, 0) {}

void CharMapCoding::rebuild(const CharMap& map) {
    const uint16_t stride = uint16_t(map.glyphCount + 1 + map.pageGap);  // 16-bit arithmetic
    for (int a = 0; a < kFontPages; ++a)
        for (int g = 0; g < CharMap::kGlyphsPerPage; ++g)
            glyphToChar_[uint16_t(a * stride + g)] = map.charOfGlyph[size_t(g)];
    glyphToChar_[map.lineFeedGlyph] = kLineBreakChar;
    for (int a = 0; a < kFontPages; ++a) {
        for (int g = 0; g < CharMap::kGlyphsPerPage; ++g)
            charToGlyph_[size_t(a)][map.charOfGlyph[size_t(g)]] = uint16_t(a * stride + g);
        charToGlyph_[size_t(a)][kLineBreakChar] = map.lineFeedGlyph;
    }
    glyphBase_ = map.glyphBase;
}

QByteArray CharMapCoding::decode(QByteArrayView encoded) const {
    QByteArray text;
    text.reserve(encoded.size() / 2);
    const auto* p = reinterpret_cast<const uint8_t*>(encoded.data());
    for (qsizetype i = 0; i + 1 < encoded.size(); i += 2) {
        const uint16_t code = uint16_t(p[i] | (p[i + 1] << 8));
        text.append(char(glyphToChar_[uint16_t(code - glyphBase_)]));
    }
    return text;
}

QByteArray CharMapCoding::encode(QByteArrayView text, int page) const {
    QByteArray out(text.size() * 2, '\0');
    const auto& table = charToGlyph_[size_t(page < 0 || page >= kFontPages ? 0 : page)];
    for (qsizetype i = 0; i < text.size(); ++i) {
        const uint16_t code = uint16_t(table[uint8_t(text[i])] + glyphBase_);
        out[2 * i] = char(code & 0xFF);
        out[2 * i + 1] = char(code >> 8);
    }
    return out;
}

}  // namespace qv
