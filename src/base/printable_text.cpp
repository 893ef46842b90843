#include "base/printable_text.h"

namespace qv {

namespace {

bool reordersText(char16_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F; }

}  // namespace

QString printableText(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u'\n') {
            out += QLatin1String("\\n");
        } else if (c == u'\t') {
            out += QLatin1String("\\t");
        } else if (c == u'\r') {
            out += QLatin1String("\\r");
        } else if (c < 0x20 || c == 0x7F) {
            out += QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
        } else if ((c >= 0x80 && c < 0xA0) || c == 0x2028 || c == 0x2029 || reordersText(c)) {
            out += QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
        } else {
            out += ch;
        }
    }
    return out;
}

}  // namespace qv
