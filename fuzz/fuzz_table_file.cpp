// libFuzzer target: the table file reader, then the checks that opening and saving make on what
// it read. The input layout is described in table_fuzz_input.h; a raw-mode input minus its first
// five bytes is the table file itself.
#include "files/table_file_reader.h"
#include "table_fuzz_input.h"

#include <QBuffer>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using namespace qv;

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "fuzz_table_file: %s\n", what);
    std::abort();
}

// Every input is read into a fresh image, so runs do not depend on each other. The images are
// reset rather than allocated anew: a megabyte-sized allocation per run would cost more than the run.
MediaImage& freshImage(int slot) {
    static const auto blank = std::make_unique<MediaImage>();
    static const std::unique_ptr<MediaImage> images[2] = {std::make_unique<MediaImage>(), std::make_unique<MediaImage>()};
    *images[slot] = *blank;
    return *images[slot];
}

Expected<LoadedTables> readInto(QByteArray& file, MediaImage& image) {
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    return readTableFile(buffer, QStringLiteral("fuzz.sav"), image);
}

// The end of the furthest blob of the loaded tables; `largest` the longest blob.
qint64 blobsEnd(const MediaImage& image, const LoadedTables& loaded, qint64& largest) {
    qint64 end = 0;
    largest = 0;
    for (int id : {int(kPictureTable), int(kMelodyTable), int(kOperatorTable), int(kStringTable)}) {
        if (!loaded.test(size_t(id))) continue;
        for (uint32_t i = 0; i < image.count(id); ++i) {
            const BlobRef b = image.blob(id, int(i));
            end = std::max(end, qint64(b.memOffset) + qint64(b.length));
            largest = std::max(largest, qint64(b.length));
        }
    }
    return end;
}

// What a rewrite writes for the loaded tables: their whole blocks under the same directory.
QByteArray rewrittenTables(const MediaImage& image, const LoadedTables& loaded) {
    TableDirectory dir = image.directory;
    QByteArray sections;
    for (int id : kSectionOrder) {
        DirectoryEntry& e = dir.entries[size_t(id)];
        if (!loaded.test(size_t(id))) {
            e = DirectoryEntry{};
            continue;
        }
        const QByteArray stream = deflateSection(image.tableBlock(id));
        e.offset = uint32_t(TableDirectory::kSize + sections.size());
        e.zsize = uint32_t(stream.size());
        sections += stream;
    }
    QByteArray file(qsizetype(TableDirectory::kSize), '\0');
    dir.write(reinterpret_cast<uint8_t*>(file.data()));
    return file + sections;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::TableFuzzInput in = fuzz::splitInput(QByteArrayView(data, qsizetype(size)));
    QByteArray file = in.packed ? fuzz::packTableFile(in.body) : in.body.toByteArray();

    MediaImage& image = freshImage(0);
    const Expected<LoadedTables> read = readInto(file, image);
    if (!read) return 0;
    const LoadedTables loaded = *read;

    for (size_t id = 0; id < loaded.size(); ++id)
        if (loaded.test(id) && !image.isPresent(int(id))) broken("a table was loaded that the directory does not mark present");

    const QString dataName = QStringLiteral("fuzz.mem");
    qint64 largest = 0;
    const qint64 end = blobsEnd(image, loaded, largest);
    // An item larger than any phone's flash is refused whatever the data file holds.
    const bool tooLarge = largest > kMaxFlashBytes;
    if (bool(checkBlobsInside(image, loaded, end, dataName)) == tooLarge)
        broken(tooLarge ? "an item larger than any phone's flash was let through" : "blobs refused by a data file that holds them all");
    if (end > 0 && checkBlobsInside(image, loaded, end - 1, dataName)) broken("a blob past the data file's end was let through");
    (void)checkBlobsInside(image, loaded, qint64(in.dataSize), dataName);

    if (!checkRewritable(image, loaded, QStringLiteral("fuzz.sav"))) return 0;

    // A rewritable image, written back table by table, reads back as the same tables.
    QByteArray again = rewrittenTables(image, loaded);
    MediaImage& reread = freshImage(1);
    const Expected<LoadedTables> loadedAgain = readInto(again, reread);
    if (!loadedAgain) broken("the rewritten tables cannot be read back");
    if (*loadedAgain != loaded) broken("the rewritten file loads other tables");
    if (reread.directory.phoneType != image.directory.phoneType) broken("the phone type changed in the rewrite");
    for (int id : kSectionOrder) {
        if (!loaded.test(size_t(id))) continue;
        if (reread.count(id) != image.count(id)) broken("a table's count changed in the rewrite");
        if (reread.tableBlock(id) != image.tableBlock(id)) broken("a table's block changed in the rewrite");
    }
    return 0;
}
