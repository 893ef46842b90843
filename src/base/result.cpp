#include "base/result.h"

#include "base/language_table.h"

namespace qv {

QString resultMessage(ResultCode code) {
    const int c = int(code) & 0x7F;
    if (c == int(ResultCode::WriteNotVerified)) return QString::fromLatin1(kWriteNotVerifiedMessage);
    if (c > int(ResultCode::PhoneNotAnswering)) return langText(Text::ResultUnknown);
    return languageTable().text(QStringLiteral("%1").arg(24 + c, 3, 10, QLatin1Char('0')));
}

}  // namespace qv
