#include "editors/phone_text.h"

#include "base/cp1251.h"

namespace qv {

namespace {
bool phoneCanShow(QChar c) { return charToCp1251(c) >= 0; }
}  // namespace

QString unshowableCharacters(const QString& text) {
    QString found;
    for (QChar c : text)
        if (!phoneCanShow(c) && !found.contains(c)) found += c;
    return found;
}

void dropUnshowable(QString& text, int& caret) {
    for (int i = int(text.size()) - 1; i >= 0; --i)
        if (!phoneCanShow(text[i])) {
            text.remove(i, 1);
            if (i < caret) --caret;
        }
}

QString characterName(char32_t c) {
    const QString code = QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    return QChar::isPrint(c) ? QStringLiteral("\"%1\" (%2)").arg(QString::fromUcs4(&c, 1), code) : code;
}

// A character shows when its glyph in the page reads back as the same character; one the font
// lacks would be stored as whatever glyph its table slot holds.
QString fontRefusal(const CharMapCoding& coding, const QByteArray& text, int page) {
    const QByteArray shown = coding.decode(coding.encode(text, page));
    for (qsizetype i = 0; i < text.size(); ++i)
        if (shown[i] != text[i])
            return QStringLiteral("the phone's font has no character %1 in page %2")
                .arg(characterName(cp1251ToChar(uint8_t(text[i])).unicode()))
                .arg(page);
    return {};
}

}  // namespace qv
