#include "demo_model/demo_content.h"

#include "base/cp1251.h"

namespace qv::demo {
namespace {

QByteArray cp(const char16_t* text) { return toCp1251(QStringView(text)); }

constexpr uint8_t kLineBreak = 182;

}  // namespace

CharMap demoCharMap() {
    CharMap map;
    map.glyphBase = 0x0100;
    map.pageGap = 1;
    map.glyphCount = 299;
    map.lineFeedGlyph = 299;  // a position that shows no other character
    QByteArray chars(" 0123456789");
    for (char c = 'A'; c <= 'Z'; ++c) chars.append(c);
    for (char c = 'a'; c <= 'z'; ++c) chars.append(c);
    chars.append(".,:;!?-'\"()/+*%#@&_=<>");
    for (int c = 0xC0; c <= 0xFF; ++c) chars.append(char(c));  // А..я
    chars.append(cp(u"ЁёЄєІіЇї©«»№°"));
    for (int g = 0; g < chars.size(); ++g) map.charOfGlyph[size_t(g)] = uint8_t(chars[g]);
    // The rest of the page holds pictograms that stand for no character.
    const uint8_t fontHeader[] = {'F', 'N', 'T', '1', 0x02, 0x00, 0x10, 0x0C};
    std::copy(std::begin(fontHeader), std::end(fontHeader), map.reserved0.begin());
    map.reserved16 = {0x10, 0x00, 0x0C, 0x00, 0x01, 0, 0, 0, 0, 0x80};
    map.reserved326[0] = 0x2C;
    map.reserved326[1] = 0x01;
    map.reserved326[211] = 0x7E;
    map.reserved542 = {0x5A, 0xA5, 0x00, 0x01, 0x00, 0x00};
    return map;
}

OperFormat demoOperFormat() {
    OperFormat f;
    f.reserved0 = {0x4F, 0x50, 0x01, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x02, 0x00};
    f.name1Offset = 4;
    f.name1Length = 10;
    f.name2Offset = 14;
    f.name2Length = 25;
    f.name3Offset = 39;
    f.name3Length = 17;
    f.reserved22 = 0x01;
    f.recordSize = 56;
    f.reserved24 = {0xAA, 0x55, 0x00, 0x00};
    return f;
}

std::vector<DemoString> normalStrings() {
    const char16_t* texts[] = {
        u"Menu", u"Messages", u"Call¶register", u"Contacts", u"Settings", u"Profiles",
        u"Organiser", u"Games", u"Alarm clock", u"Calculator", u"Options", u"Back", u"OK",
        u"Delete?", u"Saved!", u"Enter PIN:", u"Network search...", u"Battery low",
        u"Missed calls: 3", u"New message¶received", u"Ring1", u"Morning", u"Fanfare",
        u"Меню", u"Сообщения", u"Журнал¶вызовов", u"Настройки", u"Профили", u"Будильник",
        u"Телефонная книга", u"Назад", u"Удалить?", u"Введите PIN:", u"Поиск сети...",
        u"Утро", u"Меню дзвінків", u"Їжак і Ёлка", u"Звонок (2)", u"Vol. 5 / 8", u"№ 12 «Sale»",
    };
    std::vector<DemoString> out;
    for (const char16_t* t : texts) out.push_back({cp(t), uint8_t(out.size() % 4)});
    return out;
}

std::vector<DemoString> fullTableStrings(int count) {
    std::vector<DemoString> out = normalStrings();
    for (int i = int(out.size()); i < count; ++i) {
        const QByteArray text = i % 3 == 0 ? QByteArray("Item ") + QByteArray::number(i)
                               : i % 3 == 1 ? cp(u"Пункт ") + QByteArray::number(i)
                                            : QByteArray("Line¶") + QByteArray::number(i);
        out.push_back({text, uint8_t(i % 4)});
    }
    return out;
}

std::vector<DemoMelody> demoMelodies() {
    return {
        {cp(u"Ring1"), 1200, 20},     {cp(u"Morning"), 2300, 21}, {cp(u"Утро"), 3100, 34},
        {cp(u"Old phone"), 4096, -1}, {cp(u"Fanfare"), 5200, 22}, {cp(u"Bells"), 6000, -1},
        {cp(u"Nocturne"), 1500, -1},  {cp(u"Alarm"), 2800, 8},
    };
}

std::vector<DemoOperator> demoOperators() {
    return {
        {0x0250, 0x0001, cp(u"NordTel"), cp(u"NordTel Russia"), cp(u"НордТел")},
        {0x0250, 0x0002, cp(u"Volna"), cp(u"Volna Mobile"), cp(u"Волна")},
        {0x0250, 0x0099, cp(u"Sever"), cp(u"Sever GSM"), cp(u"Север")},
        {0x0250, 0x0020, cp(u"Квант"), cp(u"Квант Мобайл"), cp(u"Kvant")},
        {0x0255, 0x0001, cp(u"DniproCell"), cp(u"DniproCell Ukraine"), cp(u"Дніпро")},
        {0x0255, 0x0003, cp(u"Borysfen"), cp(u"Borysfen GSM"), cp(u"Борисфен")},
        {0x0262, 0x0001, cp(u"RheinFunk"), cp(u"RheinFunk Deutschland"), cp(u"RheinFunk")},
        {0x0262, 0x0002, cp(u"Alpenfon"), cp(u"Alpenfon D2"), cp(u"Alpenfon")},
        {0x0262, 0x0003, cp(u"Nebel"), cp(u"Nebel Mobilfunk"), cp(u"NebelMobil")},
        {0x0257, 0x0001, cp(u"Bely Bor"), cp(u"Белый Бор"), cp(u"BY 01")},
        {0x0234, 0x0015, cp(u"ThamesCell"), cp(u"ThamesCell UK"), cp(u"Thames")},
        {0x0208, 0x0001, cp(u"Azur"), cp(u"Azur Mobile France"), cp(u"Azur F")},
    };
}

std::vector<DemoCountry> demoCountries() {
    return {
        {0x0250, "RUS"}, {0x0255, "UKR"}, {0x0262, "GER"}, {0x0257, "BLR"},
        {0x0234, "GBR"}, {0x0208, "FRA"}, {0x0401, cp(u"КАЗ")},
    };
}

std::optional<QByteArray> encodeGlyphs(const CharMap& map, const QByteArray& text, int page) {
    const uint16_t stride = uint16_t(map.glyphCount + 1 + map.pageGap);
    QByteArray out;
    for (char ch : text) {
        const uint8_t c = uint8_t(ch);
        int relative = -1;
        if (c == kLineBreak) {
            relative = map.lineFeedGlyph;  // the same glyph in every page
        } else {
            for (int g = CharMap::kGlyphsPerPage - 1; g >= 0 && relative < 0; --g)
                if (map.charOfGlyph[size_t(g)] == c) relative = page * stride + g;  // the last one wins
        }
        if (relative < 0 || c == 0) return std::nullopt;
        const uint16_t code = uint16_t(relative + map.glyphBase);
        out.append(char(code & 0xFF));
        out.append(char(code >> 8));
    }
    return out;
}

}  // namespace qv::demo
