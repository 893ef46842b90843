#include "demo_model/demo_model.h"

#include "demo_model/demo_content.h"
#include "demo_model/demo_melody.h"
#include "demo_model/demo_pictures.h"
#include "demo_model/demo_random.h"
#include "demo_model/flash_dumps.h"
#include "demo_model/phone_picture_writer.h"
#include "files/zlib_section.h"
#include "image/media_image.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <memory>

namespace qv {
namespace {

using namespace demo;

constexpr int kPictureBufferSize = 65536;

// Items that the flash dump import reads through dump #2 on models that have it.
struct DumpPlan {
    bool two;
    int pictureDump(int i, int n) const { return two && i >= n / 2 ? 2 : 1; }
    int melodyDump() const { return two ? 2 : 1; }
    int operatorDump() const { return 1; }
    int stringDump() const { return two ? 2 : 1; }
};

Result addPictures(MediaImage& img, FlashDumps& flash, const DumpPlan& plan, bool full) {
    const std::vector<DemoPicture> pictures = full ? fullTablePictures(kPictCapacity) : normalPictures();
    const int n = int(pictures.size());
    for (int i = 0; i < n; ++i) {
        const DemoPicture& p = pictures[size_t(i)];
        const auto bytes = writePhonePicture(p.image, p.format, p.variant, img.directory.phoneType);
        if (!bytes) return bytes.error();
        if (bytes->size() > kPictureBufferSize)
            return Result::failure(QStringLiteral("picture %1 takes more than 64 KiB").arg(i));
        const auto address = flash.place(plan.pictureDump(i, n), *bytes, 4);
        if (!address) return address.error();
        PictEntry& e = img.pictures[size_t(i)];
        e.width = uint16_t(p.image.width());
        e.height = uint16_t(p.image.height());
        e.format = p.format;
        e.variant = p.variant;
        if (i % 4 == 1) e.reserved = {0x01, uint8_t(0x80 | (i & 0x7F))};
        e.address = *address;
        e.size = uint32_t(bytes->size());
    }
    img.entry(kPictureTable).count = uint32_t(n);
    return {};
}

Result addMelodies(MediaImage& img, FlashDumps& flash, const DumpPlan& plan) {
    const std::vector<DemoMelody> melodies = demoMelodies();
    for (size_t i = 0; i < melodies.size(); ++i) {
        const DemoMelody& m = melodies[i];
        const QByteArray file = makeDemoMelody(m.name, m.size, uint32_t(0x5EED0000 + i));
        const auto address = flash.place(plan.melodyDump(), file, 16);
        if (!address) return address.error();
        MelEntry& e = img.melodies[i];
        e.reserved = i % 3 == 0 ? uint16_t(0x0101) : uint16_t(0);
        e.nameString = m.nameStringRow < 0 ? MelEntry::kNoNameString : uint16_t(m.nameStringRow);
        e.address = *address;
        e.size = uint32_t(file.size());
        const QByteArray name = m.name.left(MelEntry::kNameMax);
        e.name[0] = uint8_t(name.size());
        std::copy(name.begin(), name.end(), e.name.begin() + 1);
    }
    img.entry(kMelodyTable).count = uint32_t(melodies.size());
    return {};
}

Result addOperators(MediaImage& img, FlashDumps& flash, const DumpPlan& plan) {
    img.operFormat = demoOperFormat();
    const std::vector<DemoOperator> operators = demoOperators();
    for (size_t i = 0; i < operators.size(); ++i) {
        const DemoOperator& o = operators[i];
        OperRecord r;
        r.code0 = o.code0;
        r.code1 = o.code1;
        std::copy_n(o.name1.begin(), std::min<size_t>(size_t(o.name1.size()), r.name1.size()), r.name1.begin());
        std::copy_n(o.name2.begin(), std::min<size_t>(size_t(o.name2.size()), r.name2.size()), r.name2.begin());
        std::copy_n(o.name3.begin(), std::min<size_t>(size_t(o.name3.size()), r.name3.size()), r.name3.begin());
        // The phone keeps its records back to back, one table of fixed-size records.
        const auto address = flash.place(plan.operatorDump(), packOperatorRecord(r, img.operFormat), 1);
        if (!address) return address.error();
        OperEntry& e = img.operators[i];
        if (i % 5 == 0) e.reserved = {0x01, 0x00, uint8_t(i + 1), 0x4F};
        e.address = *address;
        e.storedLength = OperRecord::kSize;
    }
    img.entry(kOperatorTable).count = uint32_t(operators.size());
    for (const DemoCountry& c : demoCountries()) {
        auto& bytes = img.countries[c.code].bytes;
        const QByteArray name = c.name.left(6);
        bytes[0] = uint8_t(name.size());
        std::copy(name.begin(), name.end(), bytes.begin() + 1);
    }
    return {};
}

Result addStrings(MediaImage& img, FlashDumps& flash, const DumpPlan& plan, bool full) {
    img.charMap = demoCharMap();
    const std::vector<DemoString> strings = full ? fullTableStrings(kStrCapacity) : normalStrings();
    for (size_t i = 0; i < strings.size(); ++i) {
        const DemoString& s = strings[i];
        const auto glyphs = encodeGlyphs(img.charMap, s.text, s.page);
        if (!glyphs) return Result::failure(QStringLiteral("string %1 has a character the font lacks").arg(i));
        const auto address = flash.place(plan.stringDump(), *glyphs, 2);
        if (!address) return address.error();
        StrEntry& e = img.strings[i];
        e.id = uint16_t(i + 1000);  // not the row: the flash dump import renumbers the entries
        e.fontAttribute = s.page;
        e.length = uint16_t(s.text.size());
        e.address = *address;
        e.size = uint16_t(glyphs->size());
        if (i % 5 == 2) {
            e.reserved3 = 0x01;
            e.reserved6 = {0x10, 0x00};
            e.reserved16 = {0x00, 0x00, 0xA0, 0x0F};
            e.reserved22 = {0x5A, uint8_t(i)};
        }
    }
    img.entry(kStringTable).count = uint32_t(strings.size());
    return {};
}

void fillAuxBlocks(MediaImage& img) {
    DemoRandom aux5(0xA5A50005u), aux6(0xA6A60006u);
    for (uint8_t& b : img.aux5) b = aux5.nextByte();
    for (uint8_t& b : img.aux6) b = aux6.nextByte();
}

// A pattern that a rewrite which drops the bytes it does not understand cannot reproduce.
void markDirectory(TableDirectory& s) {
    s.reserved2 = {0x51, 0x56};
    s.reserved8 = {0xC3, 0x3C, 0x96, 0x69};
    for (int k = 0; k < TableDirectory::kEntries; ++k) {
        DirectoryEntry& e = s.entries[size_t(k)];
        e.reserved = {uint8_t(0xB0 + k), 0x5A, uint8_t(0xA0 ^ k)};
        if (k == 0 || k >= 10) e.offset = 0x0BAD0000u | uint32_t(k);  // entries never used
    }
}

Expected<QByteArray> tableFileBytes(MediaImage& img) {
    QByteArray file(int(TableDirectory::kSize), '\0');
    for (int id : kSectionOrder) {
        const QByteArray section = deflateSection(img.tableBlock(id));
        if (section.isEmpty()) return Result::failure(QStringLiteral("table %1 cannot be compressed").arg(id));
        DirectoryEntry& e = img.entry(id);
        e.present = uint8_t(id);
        e.offset = uint32_t(file.size());
        e.zsize = uint32_t(section.size());
        file += section;
    }
    img.directory.write(reinterpret_cast<uint8_t*>(file.data()));
    return file;
}

Result writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        return Result::failure(QStringLiteral("cannot write %1: %2").arg(path, f.errorString()));
    return {};
}

}  // namespace

Expected<DemoModel> makeDemoModel(const QString& folder, const DemoModelOptions& options) {
    if (options.baseName.isEmpty() || options.baseName.contains(u'/') || options.baseName.contains(u'\\'))
        return Result::failure(QStringLiteral("the model needs a plain base name"));
    if (!QDir().mkpath(folder)) return Result::failure(QStringLiteral("cannot create the folder %1").arg(folder));
    auto img = std::make_unique<MediaImage>();
    img->directory.phoneType = options.phoneType;
    img->directory.versionAddress = kDemoVersionAddress;
    markDirectory(img->directory);
    const DumpPlan plan{img->needsSecondDump()};
    FlashDumps flash(plan.two ? 2 : 1);

    QByteArray version(128, '\0');
    version.replace(0, int(sizeof kDemoVersionText) - 1, kDemoVersionText);
    Result s = flash.placeAt(kDemoVersionDumpAddress, version);
    if (s) s = addPictures(*img, flash, plan, options.fullTables);
    if (s) s = addMelodies(*img, flash, plan);
    if (s) s = addOperators(*img, flash, plan);
    if (s) s = addStrings(*img, flash, plan, options.fullTables);
    if (!s) return s;
    fillAuxBlocks(*img);

    const QDir dir(folder);
    DemoModel model;
    model.tableFile = dir.absoluteFilePath(options.baseName + QStringLiteral(".sav"));
    model.dump1 = dir.absoluteFilePath(options.baseName + QStringLiteral("_1.bif"));
    if (plan.two) model.dump2 = dir.absoluteFilePath(options.baseName + QStringLiteral("_2.bif"));
    model.pictures = int(img->count(kPictureTable));
    model.melodies = int(img->count(kMelodyTable));
    model.operators = int(img->count(kOperatorTable));
    model.strings = int(img->count(kStringTable));

    const QString staleData = dir.absoluteFilePath(options.baseName + QStringLiteral(".mem"));
    if (QFile::exists(staleData) && !QFile::remove(staleData))
        return Result::failure(QStringLiteral("cannot remove the old data file %1").arg(staleData));
    const auto tableFile = tableFileBytes(*img);
    if (!tableFile) return tableFile.error();
    s = writeFile(model.tableFile, *tableFile);
    if (s) s = writeFile(model.dump1, flash.image(1));
    if (s && plan.two) s = writeFile(model.dump2, flash.image(2));
    if (!s) return s;
    return model;
}

}  // namespace qv
