#include "editors/po_file.h"

#include "base/cp1251.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <functional>

namespace qv {

namespace {

constexpr int kLineWidth = 79;

// The raw bytes of one entry while it is read; texts are decoded once the charset is known.
struct RawEntry {
    std::optional<QByteArray> context, id, plural, translation;
    bool fuzzy = false;
    QStringList comments;
    int line = 0;
    bool started() const { return context || id; }
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

enum class Field { None, Context, Id, Plural, Translation, OtherTranslation };

// Hands each whole entry over as soon as it ends, so that a file of any length is read in the
// memory of one entry.
class Reader {
public:
    Reader(QByteArrayView bytes, std::function<void(RawEntry&&)> onEntry) : bytes_(bytes), onEntry_(std::move(onEntry)) {}
    bool run();
    QString error;

private:
    bool fail(const QString& why) {
        error = QStringLiteral("line %1: %2").arg(lineNo_).arg(why);
        return false;
    }
    bool finish();
    bool keyword(QByteArrayView line);
    bool quoted(QByteArrayView rest, QByteArray& out);
    QByteArray* fieldText();

    QByteArrayView bytes_;
    std::function<void(RawEntry&&)> onEntry_;
    int lineNo_ = 0;
    RawEntry entry_;
    Field last_ = Field::None;
    QByteArray discarded_;  // msgstr[1] and later: read, checked, not kept
};

bool Reader::finish() {
    if (!entry_.started()) {
        entry_ = {};
        return true;
    }
    if (!entry_.id) return fail(QStringLiteral("msgctxt without msgid"));
    if (!entry_.translation) return fail(QStringLiteral("msgid without msgstr"));
    onEntry_(std::move(entry_));
    entry_ = {};
    last_ = Field::None;
    return true;
}

QByteArray* Reader::fieldText() {
    switch (last_) {
    case Field::Context: return &*entry_.context;
    case Field::Id: return &*entry_.id;
    case Field::Plural: return &*entry_.plural;
    case Field::Translation: return &*entry_.translation;
    case Field::OtherTranslation: return &discarded_;
    case Field::None: break;
    }
    return nullptr;
}

bool Reader::quoted(QByteArrayView rest, QByteArray& out) {
    qsizetype i = 0;
    while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t')) ++i;
    if (i == rest.size() || rest[i] != '"') return fail(QStringLiteral("a quoted string was expected"));
    ++i;
    for (;;) {
        if (i >= rest.size()) return fail(QStringLiteral("the string has no closing quote"));
        const char c = rest[i++];
        if (c == '"') break;
        if (c != '\\') {
            out.append(c);
            continue;
        }
        if (i >= rest.size()) return fail(QStringLiteral("the string has no closing quote"));
        const char e = rest[i++];
        switch (e) {
        case 'n': out.append('\n'); break;
        case 't': out.append('\t'); break;
        case 'r': out.append('\r'); break;
        case 'a': out.append('\a'); break;
        case 'b': out.append('\b'); break;
        case 'f': out.append('\f'); break;
        case 'v': out.append('\v'); break;
        case '\\': case '"': case '\'': case '?': out.append(e); break;
        case 'x': {
            int value = 0, digits = 0;
            for (int d; digits < 2 && i < rest.size() && (d = hexDigit(rest[i])) >= 0; ++i, ++digits) value = value * 16 + d;
            if (digits == 0) return fail(QStringLiteral("\\x without hexadecimal digits"));
            out.append(char(value));
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                int value = e - '0';
                for (int digits = 1; digits < 3 && i < rest.size() && rest[i] >= '0' && rest[i] <= '7'; ++digits)
                    value = value * 8 + (rest[i++] - '0');
                if (value > 0xFF) return fail(QStringLiteral("octal escape above \\377"));
                out.append(char(value));
                break;
            }
            return fail(QStringLiteral("unknown escape \\%1").arg(QChar::fromLatin1(e)));
        }
    }
    for (; i < rest.size(); ++i)
        if (rest[i] != ' ' && rest[i] != '\t') return fail(QStringLiteral("text after the closing quote"));
    return true;
}

bool Reader::keyword(QByteArrayView line) {
    qsizetype end = 0;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '"') ++end;
    const QByteArrayView word = line.first(end);
    const QByteArrayView rest = line.sliced(end);
    QByteArray text;
    if (!quoted(rest, text)) return false;

    if (word == "msgctxt") {
        if (entry_.translation && !finish()) return false;
        if (entry_.started()) return fail(QStringLiteral("msgctxt in the middle of an entry"));
        entry_.context = text;
        last_ = Field::Context;
    } else if (word == "msgid") {
        if (entry_.translation && !finish()) return false;
        if (entry_.id) return fail(QStringLiteral("msgid without msgstr before it"));
        entry_.id = text;
        entry_.line = lineNo_;
        last_ = Field::Id;
    } else if (word == "msgid_plural") {
        if (!entry_.id || entry_.plural || entry_.translation) return fail(QStringLiteral("msgid_plural out of place"));
        entry_.plural = text;
        last_ = Field::Plural;
    } else if (word == "msgstr") {
        if (!entry_.id || entry_.translation) return fail(QStringLiteral("msgstr out of place"));
        if (entry_.plural) return fail(QStringLiteral("an entry with msgid_plural needs msgstr[0]"));
        entry_.translation = text;
        last_ = Field::Translation;
    } else if (word.startsWith("msgstr[") && word.endsWith("]")) {
        bool ok = false;
        const int n = word.sliced(7, word.size() - 8).toByteArray().toInt(&ok);
        if (!ok || n < 0 || !entry_.id || !entry_.plural) return fail(QStringLiteral("%1 out of place").arg(QString::fromUtf8(word)));
        if (n == 0) {
            if (entry_.translation) return fail(QStringLiteral("msgstr[0] given twice"));
            entry_.translation = text;
            last_ = Field::Translation;
        } else {
            if (!entry_.translation) return fail(QStringLiteral("msgstr[%1] before msgstr[0]").arg(n));
            discarded_ = text;
            last_ = Field::OtherTranslation;
        }
    } else {
        return fail(QStringLiteral("unknown keyword \"%1\"").arg(QString::fromUtf8(word)));
    }
    return true;
}

bool Reader::run() {
    QByteArrayView rest = bytes_;
    if (rest.startsWith("\xEF\xBB\xBF")) rest = rest.sliced(3);
    while (!rest.isEmpty()) {
        ++lineNo_;
        const qsizetype nl = rest.indexOf('\n');
        QByteArrayView line = nl < 0 ? rest : rest.first(nl);
        rest = nl < 0 ? QByteArrayView() : rest.sliced(nl + 1);
        if (line.endsWith('\r')) line.chop(1);
        qsizetype lead = 0;
        while (lead < line.size() && (line[lead] == ' ' || line[lead] == '\t')) ++lead;
        line = line.sliced(lead);
        if (line.isEmpty()) continue;

        if (line[0] == '#') {
            if (line.startsWith("#~")) continue;  // obsolete entries are not read
            if (entry_.id && !entry_.translation) return fail(QStringLiteral("msgid without msgstr"));
            if (entry_.translation && !finish()) return false;
            last_ = Field::None;
            if (line.startsWith("#,")) {
                for (const QByteArray& flag : line.sliced(2).toByteArray().split(','))
                    if (flag.trimmed() == "fuzzy") entry_.fuzzy = true;
            } else if (line.startsWith("#.")) {
                QByteArrayView comment = line.sliced(2);
                if (comment.startsWith(' ')) comment = comment.sliced(1);
                entry_.comments << QString::fromUtf8(comment);
            }
            continue;
        }
        if (line[0] == '"') {
            QByteArray* target = fieldText();
            if (!target) return fail(QStringLiteral("a string that continues no keyword"));
            QByteArray text;
            if (!quoted(line, text)) return false;
            target->append(text);
            continue;
        }
        if (!keyword(line)) return false;
    }
    ++lineNo_;
    return finish();
}

// The charset named in the header's Content-Type line, lower case; empty when none.
QByteArray charsetOf(const QByteArray& header) {
    static const QRegularExpression re(QStringLiteral("^content-type:.*charset\\s*=\\s*([^\\s;]+)"),
                                       QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
    const auto m = re.match(QString::fromUtf8(header));
    return m.hasMatch() ? m.captured(1).toLower().toLatin1() : QByteArray();
}

using Decoder = std::optional<QString> (*)(const QByteArray&);

std::optional<QString> decodeUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

std::optional<QString> decodeCp1251(const QByteArray& bytes) { return fromCp1251(bytes); }

// One character as it stands between the quotes.
QByteArray escaped(QChar c) {
    switch (c.unicode()) {
    case '\\': return "\\\\";
    case '"': return "\\\"";
    case '\n': return "\\n";
    case '\t': return "\\t";
    case '\r': return "\\r";
    case '\a': return "\\a";
    case '\b': return "\\b";
    case '\f': return "\\f";
    case '\v': return "\\v";
    default: break;
    }
    if (c.unicode() < 0x20 || c.unicode() == 0x7F)
        return QByteArrayLiteral("\\") + QByteArray::number(c.unicode(), 8).rightJustified(3, '0');
    return QString(c).toUtf8();
}

}  // namespace

Expected<QString> readPoEntries(QByteArrayView bytes, const std::function<void(PoEntry&&)>& each) {
    // First the syntax and the header, which names the charset and may stand anywhere; then
    // the entries, decoded. Neither pass keeps more than one entry.
    std::optional<QByteArray> headerText;
    qsizetype headerIndex = -1, index = 0;
    Reader syntax(bytes, [&](RawEntry&& e) {
        if (!headerText && !e.context && e.id->isEmpty()) {
            headerText = std::move(*e.translation);
            headerIndex = index;
        }
        ++index;
    });
    if (!syntax.run()) return Result::failure(syntax.error);

    Decoder decode = decodeUtf8;
    if (headerText) {
        const QByteArray charset = charsetOf(*headerText);
        if (charset == "windows-1251" || charset == "cp1251")
            decode = decodeCp1251;
        else if (!charset.isEmpty() && charset != "utf-8" && charset != "utf8" && charset != "charset" &&
                 charset != "ascii" && charset != "us-ascii")
            return Result::failure(
                QStringLiteral("the charset %1 is not supported; save the file as UTF-8").arg(QString::fromLatin1(charset)));
    }

    QString failure, header;
    index = 0;
    Reader entries(bytes, [&](RawEntry&& raw) {
        const bool isHeader = index++ == headerIndex;
        if (!failure.isEmpty()) return;
        const auto id = decode(*raw.id), translation = decode(*raw.translation);
        const auto context = raw.context ? decode(*raw.context) : std::optional<QString>(QString());
        if (!id || !translation || !context) {
            failure = QStringLiteral("line %1: the text is not valid UTF-8").arg(raw.line);
            return;
        }
        if (isHeader) {
            header = *translation;
            return;
        }
        PoEntry e;
        if (raw.context) e.context = *context;
        e.id = *id;
        e.translation = *translation;
        e.plural = raw.plural.has_value();
        e.fuzzy = raw.fuzzy;
        e.extractedComments = std::move(raw.comments);
        e.line = raw.line;
        each(std::move(e));
    });
    entries.run();
    if (!failure.isEmpty()) return Result::failure(failure);
    return header;
}

Expected<PoCatalogue> parsePo(QByteArrayView bytes) {
    PoCatalogue catalogue;
    auto header = readPoEntries(bytes, [&](PoEntry&& e) { catalogue.entries.push_back(std::move(e)); });
    if (!header) return header.error();
    catalogue.header = std::move(*header);
    return catalogue;
}

QByteArray poStringLines(const QByteArray& keyword, const QString& text) {
    // Pieces end after each line break; a break at the very end does not start a piece.
    std::vector<std::vector<QByteArray>> pieces(1);
    qsizetype width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        pieces.back().push_back(escaped(text[i]));
        width += QString::fromUtf8(pieces.back().back()).size();
        if (text[i] == u'\n' && i + 1 < text.size()) pieces.emplace_back();
    }
    QByteArray out;
    auto joined = [](const std::vector<QByteArray>& tokens, size_t from, size_t to) {
        QByteArray s;
        for (size_t k = from; k < to; ++k) s += tokens[k];
        return s;
    };
    const bool innerBreak = pieces.size() > 1;
    if (!innerBreak && keyword.size() + 3 + width <= kLineWidth) {
        out += keyword + " \"" + joined(pieces[0], 0, pieces[0].size()) + "\"\n";
        return out;
    }
    out += keyword + " \"\"\n";
    for (const auto& tokens : pieces) {
        // Wrapped after the last space that keeps the line within the width (quotes included).
        size_t start = 0;
        while (start < tokens.size()) {
            qsizetype used = 2;
            size_t end = start, breakAfter = start;
            for (; end < tokens.size(); ++end) {
                const qsizetype w = QString::fromUtf8(tokens[end]).size();
                if (used + w > kLineWidth && breakAfter > start) break;
                used += w;
                if (tokens[end] == " ") breakAfter = end + 1;
            }
            const size_t cut = end < tokens.size() ? breakAfter : end;
            out += "\"" + joined(tokens, start, cut) + "\"\n";
            start = cut;
        }
    }
    return out;
}

QByteArray writePo(const QStringList& comments, const std::vector<std::pair<QString, QString>>& headerFields,
                   const std::vector<PoEntry>& entries) {
    QByteArray out;
    for (const QString& c : comments) out += (c.isEmpty() ? QByteArray("#") : "# " + c.toUtf8()) + "\n";
    QString header;
    for (const auto& [name, value] : headerFields) header += name + QStringLiteral(": ") + value + QLatin1Char('\n');
    out += "msgid \"\"\n";
    out += poStringLines("msgstr", header);
    for (const PoEntry& e : entries) {
        out += "\n";
        for (const QString& c : e.extractedComments) out += "#. " + c.toUtf8() + "\n";
        if (e.fuzzy) out += "#, fuzzy\n";
        if (e.context) out += poStringLines("msgctxt", *e.context);
        out += poStringLines("msgid", e.id);
        out += poStringLines("msgstr", e.translation);
    }
    return out;
}

}  // namespace qv
