#include "files/small_service_file.h"

#include "files/zlib_section.h"
#include "support/test_support.h"

using namespace qv;

namespace qvtest {

namespace {
QByteArray pattern(int n, int seed) {
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i) b[i] = char((i * 7 + seed * 13) & 0xFF);
    return b;
}
}  // namespace

SmallServiceFile::SmallServiceFile() : image(std::make_unique<MediaImage>()) {
    MediaImage& m = *image;
    m.directory.phoneType = 5;
    m.directory.reserved2 = {0xA1, 0xA2};
    m.directory.versionAddress = 0x01001000;
    m.directory.reserved8 = {0xB1, 0xB2, 0xB3, 0xB4};
    for (int k = 0; k < TableDirectory::kEntries; ++k) m.directory.entries[size_t(k)].reserved = {uint8_t(k), 0xC0, 0xDE};
    m.directory.entries[11].offset = 0x11111111;  // an unused entry carried unchanged

    const int pictureSizes[] = {16 * 16 / 8, 8 * 4 * 2, 2};
    const uint16_t dims[][2] = {{16, 16}, {8, 4}, {1, 1}};
    for (int i = 0; i < 3; ++i) {
        PictEntry& e = m.pictures[size_t(i)];
        e.width = dims[i][0];
        e.height = dims[i][1];
        e.format = i == 0 ? 0 : 4;
        e.address = 0x01000100 + uint32_t(i) * 0x100;
        e.size = uint32_t(pictureSizes[i]);
        e.reserved = {0x5A, uint8_t(i)};
        pictures.push_back(pattern(pictureSizes[i], i));
    }
    m.entry(kPictureTable).count = 3;
    for (int i = 0; i < 3; ++i) {
        MelEntry& e = m.melodies[size_t(i)];
        e.address = 0x02000000 + uint32_t(i) * 0x1000;
        e.size = uint32_t(100 + i * 50);
        e.nameString = i == 2 ? 0xFFFF : uint16_t(i);
        const QByteArray name = QByteArray("Ring") + char('1' + i);
        e.name[0] = uint8_t(name.size());
        std::copy(name.begin(), name.end(), e.name.begin() + 1);
        melodies.push_back(pattern(int(e.size), 10 + i));
    }
    m.entry(kMelodyTable).count = 3;
    m.operFormat.recordSize = 40;
    m.operFormat.name1Offset = 4, m.operFormat.name1Length = 10;
    m.operFormat.name2Offset = 14, m.operFormat.name2Length = 12;
    m.operFormat.name3Offset = 26, m.operFormat.name3Length = 14;
    for (int i = 0; i < 2; ++i) {
        OperEntry& e = m.operators[size_t(i)];
        e.address = 0x01008000 + uint32_t(i) * 40;
        e.storedLength = OperRecord::kSize;
        OperRecord r;
        r.code0 = uint16_t(0x0250 + i);
        r.code1 = uint16_t(1 + i);
        r.name1[0] = 'A', r.name1[1] = 'B', r.name1[2] = char('C' + i);
        QByteArray blob(int(OperRecord::kSize), '\0');
        r.write(reinterpret_cast<uint8_t*>(blob.data()));
        operators.push_back(blob);
    }
    m.entry(kOperatorTable).count = 2;
    m.countries[0x250].bytes = {3, 'R', 'U', 'S', 0, 0, 0};
    m.charMap.glyphBase = 0x0100;
    m.charMap.glyphCount = 299;
    for (int g = 0; g < 26; ++g) m.charMap.charOfGlyph[size_t(g + 33)] = uint8_t('A' + g);
    m.charMap.lineFeedGlyph = 299;
    for (int i = 0; i < 4; ++i) {
        StrEntry& e = m.strings[size_t(i)];
        e.id = uint16_t(100 + i);
        e.length = uint16_t(2 + i);
        e.size = uint16_t(2 * e.length);
        e.address = 0x01009000 + uint32_t(i) * 0x20;
        e.reserved22 = {0x77, uint8_t(i)};
        strings.push_back(pattern(e.size, 20 + i));
    }
    m.entry(kStringTable).count = 4;
    for (size_t i = 0; i < m.aux6.size(); ++i) m.aux6[i] = uint8_t(i * 31 + 5);
    for (size_t i = 0; i < m.aux5.size(); ++i) m.aux5[i] = uint8_t(i * 17 + 3);
}

QByteArray SmallServiceFile::tableFileBytes() const {
    MediaImage m = *image;
    QByteArray body;
    for (int id : tables) {
        const QByteArray packed = deflateSection(m.tableBlock(id));
        DirectoryEntry& e = m.entry(id);
        e.present = uint8_t(id);
        e.offset = uint32_t(TableDirectory::kSize + body.size());
        e.zsize = uint32_t(packed.size());
        body += packed;
    }
    QByteArray head(int(TableDirectory::kSize), '\0');
    m.directory.write(reinterpret_cast<uint8_t*>(head.data()));
    return head + body;
}

void SmallServiceFile::write(const QString& savPath, bool withData) {
    if (withData) {
        // Blobs in reverse table order with a gap of 3 bytes after each.
        QByteArray mem;
        auto place = [&](std::vector<QByteArray>& blobs, auto setOffset) {
            for (int i = int(blobs.size()) - 1; i >= 0; --i) {
                setOffset(size_t(i), uint32_t(mem.size()));
                mem += blobs[size_t(i)] + QByteArray(3, '\xEE');
            }
        };
        MediaImage& m = *image;
        place(strings, [&](size_t i, uint32_t o) { m.strings[i].memOffset = o; });
        place(operators, [&](size_t i, uint32_t o) { m.operators[i].memOffset = o; });
        place(melodies, [&](size_t i, uint32_t o) { m.melodies[i].memOffset = o; });
        place(pictures, [&](size_t i, uint32_t o) { m.pictures[i].memOffset = o; });
        QString mem_path = savPath;
        mem_path.replace(".sav", ".mem");
        writeAll(mem_path, mem);
    }
    writeAll(savPath, tableFileBytes());
}

}  // namespace qvtest
