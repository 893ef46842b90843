// libFuzzer target: the PO reader behind import-strings. The whole input is the PO file.
// Whatever it holds, reading it entry by entry and whole must agree; every entry it reads must
// come back the same through the writer (gettext's layout, quoting and wrapping); and the
// texts it hands out, quoted in a message, must stay on one line without control characters.
#include "base/printable_text.h"
#include "editors/po_file.h"

#include <cstdio>
#include <cstdlib>

namespace {

using namespace qv;

[[noreturn]] void broken(const char* what, int line = 0) {
    std::fprintf(stderr, "fuzz_po_file: %s (entry at line %d)\n", what, line);
    std::abort();
}

bool sameTexts(const PoEntry& a, const PoEntry& b) {
    return a.context == b.context && a.id == b.id && a.translation == b.translation && a.fuzzy == b.fuzzy;
}

void checkPrintable(const QString& text, int line) {
    for (QChar c : printableText(text))
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || (c.unicode() >= 0x80 && c.unicode() < 0xA0))
            broken("a control character is left in a message text", line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, qsizetype(size));
    const auto whole = parsePo(bytes);
    size_t handed = 0;
    const Expected<QString> streamed = readPoEntries(bytes, [&](PoEntry&& e) {
        if (whole && (handed >= whole->entries.size() || !sameTexts(e, whole->entries[handed])))
            broken("reading entry by entry differs from reading the whole file", e.line);
        ++handed;
    });
    if (bool(whole) != streamed.has_value()) broken("reading entry by entry and whole disagree on the file");
    if (!whole) {
        if (whole.error().message().isEmpty()) broken("a refused file without a reason");
        return 0;
    }
    if (handed != whole->entries.size()) broken("reading entry by entry handed out another number of entries");

    // Comments and plural forms are not written back; the texts are.
    std::vector<PoEntry> entries = whole->entries;
    for (PoEntry& e : entries) {
        if (e.line < 1) broken("an entry without a line", e.line);
        e.extractedComments.clear();
        e.plural = false;
        checkPrintable(e.id, e.line);
        checkPrintable(e.translation, e.line);
        if (e.context) checkPrintable(*e.context, e.line);
    }
    const QByteArray written = writePo({}, {{"Content-Type", "text/plain; charset=UTF-8"}}, entries);
    const auto back = parsePo(written);
    if (!back) broken("what the writer wrote does not read back");
    if (back->entries.size() != entries.size()) broken("the written file holds another number of entries");
    for (size_t i = 0; i < entries.size(); ++i)
        if (!sameTexts(entries[i], back->entries[i])) broken("an entry changed on its way through the writer", entries[i].line);
    return 0;
}
