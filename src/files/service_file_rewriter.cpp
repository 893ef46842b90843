#include "files/service_file_rewriter.h"

#include "base/file_output.h"
#include "files/table_file_reader.h"
#include "files/zlib_section.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <system_error>
#ifdef _WIN32
#include "base/windows_error.h"

#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qv {
namespace {

FaultKind faultAt(const RewriteFaultHook& hook, RewriteStep step) { return hook ? hook(step) : FaultKind::None; }

QString shortName(const QString& path) { return QFileInfo(path).fileName(); }

// Data must be on the disk before the swap makes it the only copy.
bool syncFile(QFile& f) {
    if (!f.flush()) return false;
#ifdef _WIN32
    return true;
#else
    return ::fsync(f.handle()) == 0;
#endif
}

void syncFolderOf(const QString& path) {
#ifndef _WIN32
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(path);
#endif
}

// Replaces `to` by `from` in one step where the platform allows it. Windows replaces only a
// file that nobody holds open (the caller has closed its own) and may keep the new name in a
// cache until told to write it through.
Result replaceFile(const QString& from, const QString& to) {
#ifdef _WIN32
    const QString source = QDir::toNativeSeparators(from), target = QDir::toNativeSeparators(to);
    const auto wide = [](const QString& s) { return reinterpret_cast<LPCWSTR>(s.utf16()); };
    // A read-only file is replaced as on POSIX (the new one carries the attribute over).
    const DWORD attributes = GetFileAttributesW(wide(target));
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly) SetFileAttributesW(wide(target), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (MoveFileExW(wide(source), wide(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return {};
    const DWORD e = GetLastError();
    if (readOnly) SetFileAttributesW(wide(target), attributes);
    return Result::failure(QString::fromStdString(windowsErrorText(e)));
#else
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(), ec);
    if (ec) return Result::failure(QString::fromStdString(ec.message()));
    return {};
#endif
}

// An injected failure takes the rename's place, so that tests reach each swap step's way out.
Result replaceUnlessFailed(FaultKind fault, const QString& from, const QString& to) {
    return fault == FaultKind::Fail ? Result::failure(QStringLiteral("injected failure")) : replaceFile(from, to);
}

Result writeFailure(const QFile& f) {
    return Result::failure(QStringLiteral("Can not write %1: %2").arg(shortName(f.fileName()), fileErrorReason(f)));
}

// A table file may claim the same bytes for many entries (every picture pointing at the whole
// data file); a rewrite would then write them once for each. Real tables describe distinct
// items within a phone's flash, so more than that, and more than the distinct items, is refused.
Result checkOutputSize(const MediaImage& image, const BlobSource& source) {
    qint64 total = 0, distinct = 0;
    std::set<std::pair<uint32_t, uint32_t>> seen;
    for (int id : {int(kPictureTable), int(kMelodyTable), int(kOperatorTable), int(kStringTable)}) {
        if (image.entry(id).present == 0) continue;
        const int n = int(image.count(id));
        for (int i = 0; i < n; ++i) {
            const BlobRef b = image.blob(id, i);
            const qint64 written = id == kOperatorTable ? qint64(OperRecord::kSize) : qint64(b.length);
            total += written;
            if (seen.insert({source.placeOf(b), b.length}).second) distinct += written;
        }
    }
    if (total > kMaxFlashBytes && total > distinct)
        return Result::failure(QStringLiteral("The table file claims %1 bytes of items for %2 bytes of distinct items; "
                                              "it is damaged and is not rewritten.")
                                   .arg(total).arg(distinct));
    return {};
}

// What is swapped in must open again: the reader is the judge, not the writer.
Result checkNewPairOpens(const ServiceFileNames& names) {
    QFile table(names.sa2);
    auto probe = std::make_unique<MediaImage>();
    LoadedTables loaded;
    Result s = table.open(QIODevice::ReadOnly) ? readTableFile(table, names.sa2, *probe, &loaded)
                                               : Result::failure(fileErrorReason(table));
    if (s) s = checkBlobsInside(*probe, loaded, QFileInfo(names.me2).size(), names.me2);
    if (!s)
        return Result::failure(QStringLiteral("The rewritten %1 would not open again (%2); the old files are kept.")
                                   .arg(shortName(names.sav), s.message()));
    return {};
}

// A file the user made read-only stays read-only; a new file gets the usual mode.
void keepMode(const QString& oldFile, const QString& newFile) {
#ifdef _WIN32
    if (QFileInfo::exists(oldFile)) QFile::setPermissions(newFile, QFile::permissions(oldFile));
#else
    // The mode bits as they are: Qt's permission flags mix in what the current user may do.
    struct stat st {};
    if (::stat(QFile::encodeName(oldFile).constData(), &st) == 0)
        ::chmod(QFile::encodeName(newFile).constData(), st.st_mode & 07777);
#endif
}

class PairWriter {
public:
    PairWriter(const ServiceFileNames& names, const RewriteFaultHook& faultHook)
        : sav_(names.sa2), mem_(names.me2), faultHook_(faultHook) {}

    Result run(const MediaImage& image, BlobSource& source, const RewriteOptions& options, MediaImage& out) {
        if (faultAt(faultHook_, RewriteStep::CreateFiles) != FaultKind::None)
            return Result::failure(QStringLiteral("Can not create %1: injected failure").arg(shortName(sav_.fileName())));
        if (Result s = checkOutputSize(image, source); !s) return s;
        if (!sav_.open(QIODevice::ReadWrite | QIODevice::Truncate)) return writeFailure(sav_);
        if (!mem_.open(QIODevice::ReadWrite | QIODevice::Truncate)) return writeFailure(mem_);

        out = image;
        if (Result s = writeDirectory(out); !s) return s;
        for (int id : kSectionOrder) {
            if (id == kCountryTable) continue;  // written right after table 3
            if (out.entry(id).present == 0) continue;
            if (hasBlobs(id))
                if (Result s = writeItems(out, source, options, id); !s) return s;
            if (Result s = writeSection(out, id); !s) return s;
            if (id == kOperatorTable)
                if (Result s = writeSection(out, kCountryTable); !s) return s;
        }
        if (Result s = writeDirectory(out); !s) return s;
        if (faultAt(faultHook_, RewriteStep::Flush) != FaultKind::None || !syncFile(sav_) || !syncFile(mem_))
            return Result::failure(QStringLiteral("Can not write %1 to the disk").arg(shortName(mem_.fileName())));
        sav_.close();
        mem_.close();
        return {};
    }

private:
    Result writeDirectory(const MediaImage& image) {
        QByteArray head(int(TableDirectory::kSize), '\0');
        image.directory.write(reinterpret_cast<uint8_t*>(head.data()));
        if (!sav_.seek(0) || sav_.write(head) != head.size()) return writeFailure(sav_);
        return {};
    }

    Result writeItems(MediaImage& image, BlobSource& source, const RewriteOptions& options, int id) {
        const int n = int(image.count(id));
        QByteArray blob;
        for (int i = 0; i < n; ++i) {
            if (Result s = source.fetch(image, id, i, blob); !s) return s;
            if (faultAt(faultHook_, RewriteStep::WriteItems) != FaultKind::None) return writeFailure(mem_);
            // A running offset: asking the file for its size would flush it for every item.
            const uint32_t offset = uint32_t(memEnd_);
            if (mem_.write(blob) != blob.size()) return writeFailure(mem_);
            memEnd_ += blob.size();
            const size_t k = size_t(i);
            switch (id) {
            case kPictureTable: image.pictures[k].memOffset = offset; break;
            case kMelodyTable: image.melodies[k].memOffset = offset; break;
            case kOperatorTable: image.operators[k].memOffset = offset; break;
            case kStringTable:
                image.strings[k].memOffset = offset;
                if (options.renumberStrings) image.strings[k].id = uint16_t(i);
                break;
            }
        }
        return {};
    }

    Result writeSection(MediaImage& image, int id) {
        const QByteArray packed = deflateSection(image.tableBlock(id));
        if (packed.isEmpty() || faultAt(faultHook_, RewriteStep::WriteTables) != FaultKind::None)
            return Result::failure(QStringLiteral("Can not compress the %1").arg(id));
        DirectoryEntry& e = image.entry(id);
        e.present = uint8_t(id);
        e.offset = uint32_t(sav_.size());
        e.zsize = uint32_t(packed.size());
        if (!sav_.seek(sav_.size()) || sav_.write(packed) != packed.size()) return writeFailure(sav_);
        return {};
    }

    QFile sav_;
    QFile mem_;
    const RewriteFaultHook& faultHook_;
    qint64 memEnd_ = 0;
};

}  // namespace

Result writeNewPair(const MediaImage& image, BlobSource& source, const RewriteOptions& options,
                    const ServiceFileNames& names, MediaImage& rewritten) {
    // A stale marker would make a later open swap in files that this run is overwriting.
    QFile::remove(names.swapMarker);
    Result s;
    {
        PairWriter writer(names, options.faultHook);
        s = writer.run(image, source, options, rewritten);
    }
    if (s) s = checkNewPairOpens(names);
    if (!s) {
        QFile::remove(names.sa2);
        QFile::remove(names.me2);
        return s;
    }
    keepMode(names.sav, names.sa2);
    keepMode(names.mem, names.me2);
    return s;
}

SwapResult swapNewPairIn(const ServiceFileNames& names, const RewriteFaultHook& faultHook) {
    SwapResult result;
    auto giveUp = [&](const QString& message) {
        QFile::remove(names.swapMarker);
        QFile::remove(names.sa2);
        QFile::remove(names.me2);
        result.status = Result::failure(message);
        return result;
    };

    // The marker says: both new files are complete; whoever finds it finishes the swap.
    const FaultKind markerFault = faultAt(faultHook, RewriteStep::Marker);
    if (markerFault == FaultKind::Crash) return {Result::failure("crash"), false};
    {
        QFile marker(names.swapMarker);
        if (markerFault == FaultKind::Fail || !marker.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            marker.write("sa2 me2\n") != 8 || !syncFile(marker))
            return giveUp(QStringLiteral("Can not write %1; the old files are kept.").arg(shortName(names.swapMarker)));
    }
    syncFolderOf(names.swapMarker);

    const FaultKind dataFault = faultAt(faultHook, RewriteStep::SwapData);
    if (dataFault == FaultKind::Crash) return {Result::failure("crash"), false};
    if (Result s = replaceUnlessFailed(dataFault, names.me2, names.mem); !s)
        return giveUp(QStringLiteral("Can not replace %1 (%2); the old files are kept.").arg(shortName(names.mem), s.detail()));
    result.newDataInPlace = true;

    const FaultKind tableFault = faultAt(faultHook, RewriteStep::SwapTable);
    if (tableFault == FaultKind::Crash) return {Result::failure("crash"), true};
    if (Result s = replaceUnlessFailed(tableFault, names.sa2, names.sav); !s) {
        // The new data file is in place and cannot be taken back: keep the marker so that the
        // next open puts the matching table file in place too.
        result.status = Result::failure(
            QStringLiteral("Can not replace %1 (%2); it will be completed when the file is opened next.")
                .arg(shortName(names.sav), s.detail()));
        return result;
    }
    syncFolderOf(names.sav);
    if (faultAt(faultHook, RewriteStep::Finish) == FaultKind::Crash) return {Result::failure("crash"), true};
    QFile::remove(names.swapMarker);
    return result;
}

Result recoverInterruptedRewrite(const ServiceFileNames& names) {
    if (!QFile::exists(names.swapMarker)) {
        // A rewrite that stopped before its swap: its files were never complete.
        QFile::remove(names.sa2);
        QFile::remove(names.me2);
        return {};
    }
    for (const auto& [from, to] : {std::pair(names.me2, names.mem), std::pair(names.sa2, names.sav)}) {
        if (!QFile::exists(from)) continue;
        if (Result s = replaceFile(from, to); !s)
            return Result::failure(
                QStringLiteral("Can not complete the last save of %1: %2").arg(shortName(names.sav), s.detail()));
    }
    syncFolderOf(names.sav);
    QFile::remove(names.swapMarker);
    return {};
}

}  // namespace qv
