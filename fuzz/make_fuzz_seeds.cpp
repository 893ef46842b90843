// make_fuzz_seeds OUTDIR
// Writes the seed inputs of the fuzz targets: OUTDIR/fuzz_table_file holds the demo model's table
// files (as they stand and packed, see table_fuzz_input.h) and an empty directory;
// OUTDIR/fuzz_bmp holds small bitmaps of every depth and header kind the reader knows;
// OUTDIR/fuzz_ini_file holds a language.ini in both encodings, a setting.ini and a .mru file;
// OUTDIR/fuzz_po_file holds PO files as the export writes them and as translators' tools do.
#include "base/ini_file.h"
#include "base/language_table.h"
#include "demo_model/demo_model.h"
#include "editors/bmp_file.h"
#include "editors/po_file.h"
#include "files/settings.h"
#include "files/table_file_reader.h"
#include "image/byte_order.h"
#include "table_fuzz_input.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

namespace {

using namespace qv;

// Data file size the table seeds check their blobs against: more than the demo blobs need.
constexpr uint32_t kSeedDataSize = 0x01000000;

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size()) return true;
    std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", qPrintable(path));
    return false;
}

bool tableSeeds(const QString& outDir) {
    QTemporaryDir work;
    if (!work.isValid()) return false;
    bool ok = true;
    for (uint16_t phoneType : {uint16_t(5), uint16_t(4)}) {
        DemoModelOptions options;
        options.phoneType = phoneType;
        const auto model = makeDemoModel(work.filePath(QStringLiteral("t%1").arg(phoneType)), options);
        if (!model) {
            std::fprintf(stderr, "make_fuzz_seeds: %s\n", qPrintable(model.error().message()));
            return false;
        }
        QFile sav(model->tableFile);
        if (!sav.open(QIODevice::ReadOnly)) return false;
        QByteArray file = sav.readAll();
        ok &= writeFile(QStringLiteral("%1/demo_type%2.raw").arg(outDir).arg(phoneType),
                        fuzz::makeInput(false, kSeedDataSize, file));

        auto image = std::make_unique<MediaImage>();
        QBuffer buffer(&file);
        buffer.open(QIODevice::ReadOnly);
        const Expected<LoadedTables> read = readTableFile(buffer, model->tableFile, *image);
        if (!read) {
            std::fprintf(stderr, "make_fuzz_seeds: %s\n", qPrintable(read.error().message()));
            return false;
        }
        const LoadedTables loaded = *read;
        std::map<int, QByteArray> blocks;
        for (int id : kSectionOrder)
            if (loaded.test(size_t(id))) blocks[id] = image->tableBlock(id);
        ok &= writeFile(QStringLiteral("%1/demo_type%2.packed").arg(outDir).arg(phoneType),
                        fuzz::makeInput(true, kSeedDataSize, fuzz::makePackedBody(image->directory, blocks)));
    }
    const TableDirectory empty;
    ok &= writeFile(outDir + QStringLiteral("/empty.packed"), fuzz::makeInput(true, 0, fuzz::makePackedBody(empty, {})));
    return ok;
}

struct BmpSpec {
    const char* name;
    int width;
    int height;
    int bpp;
    uint32_t headerSize = 40;
    bool topDown = false;
    bool bitfields = false;
    uint32_t colorsUsed = 0;   // 0 = the full palette of the depth
};

// A bitmap written field by field, so that depths and headers QImage never writes are covered.
QByteArray makeBmp(const BmpSpec& s) {
    const bool core = s.headerSize == 12;
    const uint32_t paletteCount = s.bpp > 8 ? 0 : (s.colorsUsed ? s.colorsUsed : 1u << s.bpp);
    const uint32_t paletteBytes = paletteCount * (core ? 3 : 4);
    const uint32_t maskBytes = s.bitfields && s.headerSize == 40 ? 12 : 0;
    const uint32_t dataOffset = 14 + s.headerSize + maskBytes + paletteBytes;
    const uint32_t stride = (uint32_t(s.width) * uint32_t(s.bpp) + 31) / 32 * 4;
    QByteArray out(qsizetype(dataOffset + stride * uint32_t(s.height)), '\0');
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    p[0] = 'B';
    p[1] = 'M';
    putU32(p + 2, uint32_t(out.size()));
    putU32(p + 10, dataOffset);
    uint8_t* h = p + 14;
    putU32(h, s.headerSize);
    if (core) {
        putU16(h + 4, uint16_t(s.width));
        putU16(h + 6, uint16_t(s.height));
        putU16(h + 8, 1);
        putU16(h + 10, uint16_t(s.bpp));
    } else {
        putU32(h + 4, uint32_t(s.width));
        putU32(h + 8, uint32_t(s.topDown ? -s.height : s.height));
        putU16(h + 12, 1);
        putU16(h + 14, uint16_t(s.bpp));
        putU32(h + 16, s.bitfields ? 3 : 0);
        putU32(h + 32, s.colorsUsed);
    }
    const uint32_t masks[3] = {s.bpp == 16 ? 0xF800u : 0xFF0000u, s.bpp == 16 ? 0x07E0u : 0xFF00u,
                               s.bpp == 16 ? 0x001Fu : 0xFFu};
    if (s.bitfields)
        for (int i = 0; i < 3; ++i) putU32(p + 14 + 40 + 4 * i, masks[i]);
    uint8_t* pal = p + 14 + s.headerSize + maskBytes;
    for (uint32_t i = 0; i < paletteCount; ++i) {
        uint8_t* e = pal + i * (core ? 3 : 4);
        e[0] = uint8_t(i * 37), e[1] = uint8_t(i * 91), e[2] = uint8_t(255 - i * 17);
    }
    for (int row = 0; row < s.height; ++row) {
        uint8_t* r = p + dataOffset + stride * uint32_t(row);
        for (int x = 0; x < s.width; ++x) {
            const unsigned v = unsigned(x * 7 + row * 13 + x * row);
            switch (s.bpp) {
            case 1: r[x / 8] |= uint8_t((v & 1) << (7 - x % 8)); break;
            case 4: r[x / 2] |= uint8_t((v & 0xF) << (x % 2 ? 0 : 4)); break;
            case 8: r[x] = uint8_t(v); break;
            case 16: putU16(r + 2 * x, uint16_t(v * 2654435761u)); break;
            case 24: r[3 * x] = uint8_t(v), r[3 * x + 1] = uint8_t(v * 3), r[3 * x + 2] = uint8_t(v * 5); break;
            case 32: putU32(r + 4 * x, v * 2654435761u); break;
            }
        }
    }
    return out;
}

bool bmpSeeds(const QString& outDir) {
    const BmpSpec specs[] = {
        {"mono_core", 16, 8, 1, 12},
        {"mono_odd", 13, 5, 1},
        {"grey4", 13, 5, 4},
        {"grey4_short_palette", 9, 4, 4, 40, false, false, 4},
        {"indexed8", 9, 9, 8, 40, false, false, 20},
        {"indexed8_topdown", 6, 3, 8, 40, true},
        {"rgb16", 5, 4, 16},
        {"rgb16_masks", 10, 4, 16, 40, false, true},
        {"rgb24", 12, 6, 24},
        {"rgb24_topdown", 7, 3, 24, 40, true},
        {"rgb32_v4", 5, 5, 32, 108, false, true},
    };
    bool ok = true;
    for (const BmpSpec& s : specs)
        ok &= writeFile(QStringLiteral("%1/%2.bmp").arg(outDir, QLatin1String(s.name)), makeBmp(s));

    // What the program itself writes when it exports a picture.
    QImage picture(20, 10, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x * 12, y * 25, (x ^ y) * 16));
    ok &= writeFile(outDir + QStringLiteral("/exported24.bmp"), writeBmp24(picture));
    return ok;
}

// A few translated texts, so the seeds hold more than the defaults.
const std::pair<const char*, const char*> kRussian[] = {
    {"006", "байт"}, {"019", "Операция завершена."}, {"8030", "Картинки"}, {"8112", "с телефона"},
};

QByteArray languageIni(bool utf8) {
    LanguageTable defaults;
    defaults.loadDefaults();
    IniFile ini = utf8 ? IniFile::parse("\xEF\xBB\xBF") : IniFile{};
    ini.setValue(u"Language", u"000", QString());  // the section comes first
    for (int slot = 0; slot < LanguageTable::kSlotCount; ++slot)
        if (const QString key = LanguageTable::keyOfSlot(slot); !key.isEmpty())
            ini.setValue(u"Language", key, defaults.slot(slot).trimmed());
    for (const auto& [key, text] : kRussian)
        ini.setValue(u"Language", QString::fromLatin1(key), QString::fromUtf8(text));
    return ini.toBytes();
}

bool iniSeeds(const QString& outDir) {
    bool ok = writeFile(outDir + QStringLiteral("/language.ini"), languageIni(false));
    ok &= writeFile(outDir + QStringLiteral("/language_utf8.ini"), languageIni(true));

    Settings settings;
    settings.port = QStringLiteral("/dev/ttyUSB0");
    settings.player = QStringLiteral("C:\\Program Files\\Player\\psmplay.exe");
    IniFile setting;
    settings.store(setting);
    ok &= writeFile(outDir + QStringLiteral("/setting.ini"), setting.toBytes());

    IniFile mru;
    mru.setValue(u"MRU", u"Name1", QStringLiteral("/home/user/ring.mmf"));
    mru.setValue(u"MRU", u"Name2", QString::fromUtf8("C:\\Мелодии\\утро.mmf"));
    ok &= writeFile(outDir + QStringLiteral("/demo.mru"), mru.toBytes());

    // What hands leave in such files: comments, quotes, odd spacing and case, repeated names,
    // a header with trailing text, lines before any header, no final line end.
    ok &= writeFile(outDir + QStringLiteral("/by_hand.ini"),
                    "k=before\n; comment\n[com] ; ports\n  port = \"COM3 \" \nBaudRD=38 400\nport=COM4\r\n\r\n"
                    "[Language\n[LANGUAGE]\n8030==x\n=y\n[Face]\nColor=-1\n[COM]\nKeyLock=1");
    return ok;
}

// What the program's export writes, and what translators' tools and hands leave in a PO file.
bool poSeeds(const QString& outDir) {
    std::vector<PoEntry> entries;
    for (const char* text : {"Menu", "Call\nregister", "\xd0\x96\xd1\x83\xd1\x80\xd0\xbd\xd0\xb0\xd0\xbb", "",
                             "a long line of words that goes well past the seventy-nine columns of a gettext line"}) {
        PoEntry e;
        e.context = QString::number(entries.size());
        e.id = QString::fromUtf8(text);
        e.extractedComments << QStringLiteral("at most 13 characters, font page 2");
        entries.push_back(e);
    }
    bool ok = writeFile(outDir + QStringLiteral("/export.po"),
                        writePo({QStringLiteral("Interface strings")},
                                {{"Content-Type", "text/plain; charset=UTF-8"}, {"Content-Transfer-Encoding", "8bit"}}, entries));
    ok &= writeFile(outDir + QStringLiteral("/tools.po"),
                    "\xEF\xBB\xBF# translator\r\nmsgid \"\"\r\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\r\n\r\n"
                    "#, fuzzy, c-format\r\nmsgctxt \"0\"\r\nmsgid \"Menu\"\r\nmsgstr \"x\"\r\n\r\n"
                    "msgctxt \"1\"\nmsgid \"file\"\nmsgid_plural \"files\"\nmsgstr[0] \"a\"\nmsgstr[1] \"b\"\n\n"
                    "#~ msgid \"old\"\n#~ msgstr \"gone\"\n\nmsgctxt \"3\"\nmsgid \"\"\n\"x\"\nmsgstr \"\\x41\\101\\'\\0\"\n");
    ok &= writeFile(outDir + QStringLiteral("/cp1251.po"),
                    "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=windows-1251\\n\"\n\n"
                    "msgctxt \"0\"\nmsgid \"a\"\nmsgstr \"\xcc\xe5\xed\xfe\"\n");
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString tables = out + QStringLiteral("/fuzz_table_file");
    const QString bitmaps = out + QStringLiteral("/fuzz_bmp");
    const QString inis = out + QStringLiteral("/fuzz_ini_file");
    const QString pos = out + QStringLiteral("/fuzz_po_file");
    if (!QDir().mkpath(tables) || !QDir().mkpath(bitmaps) || !QDir().mkpath(inis) || !QDir().mkpath(pos)) {
        std::fprintf(stderr, "make_fuzz_seeds: cannot create %s\n", argv[1]);
        return 1;
    }
    const bool iniOk = iniSeeds(inis);
    const bool poOk = poSeeds(pos);
    return tableSeeds(tables) && bmpSeeds(bitmaps) && iniOk && poOk ? 0 : 1;
}
