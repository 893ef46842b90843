#include "files/service_file_rewriter.h"

#include "base/file_kind.h"
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
    return Result(ResultCode::DiskError, QString::fromStdString(windowsErrorText(e)));
#else
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(), ec);
    if (ec) return Result(ResultCode::DiskError, QString::fromStdString(ec.message()));
    return {};
#endif
}

// An injected failure takes the rename's place, so that tests reach each swap step's way out.
Result replaceUnlessFailed(FaultKind fault, const QString& from, const QString& to) {
    return fault == FaultKind::Fail ? Result(ResultCode::DiskError, QStringLiteral("injected failure")) : replaceFile(from, to);
}

Result writeFailure(const QFile& f) {
    return Result(ResultCode::DiskError, QStringLiteral("Can not write %1: %2").arg(shortName(f.fileName()), fileErrorReason(f)));
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
        return Result(ResultCode::Damaged, QStringLiteral("The table file claims %1 bytes of items for %2 bytes of distinct items; "
                                                          "it is damaged and is not rewritten.")
                                               .arg(total).arg(distinct));
    return {};
}

// The bytes a rewrite packs into the data file for the tables the reader loaded: every blob
// back to back, operators as whole 184-byte records.
qint64 packedDataSize(const MediaImage& image, const LoadedTables& loaded) {
    qint64 total = 0;
    for (int id : {int(kPictureTable), int(kMelodyTable), int(kOperatorTable), int(kStringTable)}) {
        if (!loaded.test(size_t(id))) continue;
        const int n = int(image.count(id));
        if (id == kOperatorTable) {
            total += qint64(n) * qint64(OperRecord::kSize);
            continue;
        }
        for (int i = 0; i < n; ++i) total += qint64(image.blob(id, i).length);
    }
    return total;
}

// What is swapped in must open again: the reader is the judge, not the writer. The data file
// must also be the one the table was written with: exactly as long as the blobs it packs (a
// data file of another model, or a cut one, is no match even where every blob lies inside).
Result checkPairMatches(const QString& tablePath, const QString& dataPath) {
    for (const QString& path : {tablePath, dataPath})
        if (const FileKind kind = fileKindAt(path, false); kind != FileKind::Regular)
            return kind == FileKind::Missing ? Result(ResultCode::NotFound, QStringLiteral("%1 is missing").arg(shortName(path)))
                                             : Result(ResultCode::Refused, QStringLiteral("%1 is %2").arg(shortName(path), describeKind(kind)));
    QFile table(tablePath);
    auto probe = std::make_unique<MediaImage>();
    if (!table.open(QIODevice::ReadOnly)) return Result(ResultCode::DiskError, fileErrorReason(table));
    const Expected<LoadedTables> loaded = readTableFile(table, tablePath, *probe);
    if (!loaded) return loaded.error();
    const qint64 dataSize = QFileInfo(dataPath).size();
    if (Result s = checkBlobsInside(*probe, *loaded, dataSize, dataPath); !s) return s;
    if (const qint64 packed = packedDataSize(*probe, *loaded); packed != dataSize)
        return Result(ResultCode::Damaged, QStringLiteral("%1 holds %2 bytes where %3 places %4")
                                               .arg(shortName(dataPath)).arg(dataSize).arg(shortName(tablePath)).arg(packed));
    return {};
}

Result checkNewPairOpens(const ServiceFileNames& names) {
    if (Result s = checkPairMatches(names.sa2, names.me2); !s)
        return Result(s.code(), QStringLiteral("The rewritten %1 would not open again (%2); the old files are kept.")
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

    // The image with the new offsets and lengths.
    Expected<std::unique_ptr<MediaImage>> run(const MediaImage& image, BlobSource& source, const RewriteOptions& options) {
        if (faultAt(faultHook_, RewriteStep::CreateFiles) != FaultKind::None)
            return Result(ResultCode::DiskError, QStringLiteral("Can not create %1: injected failure").arg(shortName(sav_.fileName())));
        if (Result s = checkOutputSize(image, source); !s) return s;
        if (!sav_.open(QIODevice::ReadWrite | QIODevice::Truncate)) return writeFailure(sav_);
        if (!mem_.open(QIODevice::ReadWrite | QIODevice::Truncate)) return writeFailure(mem_);

        auto rewritten = std::make_unique<MediaImage>(image);
        MediaImage& out = *rewritten;
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
            return Result(ResultCode::DiskError, QStringLiteral("Can not write %1 to the disk").arg(shortName(mem_.fileName())));
        sav_.close();
        mem_.close();
        return rewritten;
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
        for (int i = 0; i < n; ++i) {
            const Expected<QByteArray> blob = source.fetch(image, id, i);
            if (!blob) return blob.error();
            if (faultAt(faultHook_, RewriteStep::WriteItems) != FaultKind::None) return writeFailure(mem_);
            // A running offset: asking the file for its size would flush it for every item.
            const uint32_t offset = uint32_t(memEnd_);
            if (mem_.write(*blob) != blob->size()) return writeFailure(mem_);
            memEnd_ += blob->size();
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

Expected<std::unique_ptr<MediaImage>> writeNewPair(const MediaImage& image, BlobSource& source,
                                                   const RewriteOptions& options, const ServiceFileNames& names) {
    // A stale marker would make a later open swap in files that this run is overwriting.
    QFile::remove(names.swapMarker);
    Expected<std::unique_ptr<MediaImage>> rewritten = [&] {
        PairWriter writer(names, options.faultHook);
        return writer.run(image, source, options);
    }();
    if (rewritten)
        if (Result s = checkNewPairOpens(names); !s) rewritten = s;
    if (!rewritten) {
        QFile::remove(names.sa2);
        QFile::remove(names.me2);
        return rewritten;
    }
    keepMode(names.sav, names.sa2);
    keepMode(names.mem, names.me2);
    return rewritten;
}

Result swapNewPairIn(const ServiceFileNames& names, const RewriteFaultHook& faultHook) {
    auto giveUp = [&](const QString& message) {
        QFile::remove(names.swapMarker);
        QFile::remove(names.sa2);
        QFile::remove(names.me2);
        return Result(ResultCode::DiskError, message);
    };
    // A crash a test asks for: the files stay as they are at that step.
    const auto crash = [](bool newDataInPlace) {
        return Result(newDataInPlace ? ResultCode::Unfinished : ResultCode::Failed, QStringLiteral("crash"));
    };

    // The marker says: both new files are complete; whoever finds it finishes the swap.
    const FaultKind markerFault = faultAt(faultHook, RewriteStep::Marker);
    if (markerFault == FaultKind::Crash) return crash(false);
    {
        QFile marker(names.swapMarker);
        if (markerFault == FaultKind::Fail || !marker.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            marker.write("sa2 me2\n") != 8 || !syncFile(marker))
            return giveUp(QStringLiteral("Can not write %1; the old files are kept.").arg(shortName(names.swapMarker)));
    }
    syncFolderOf(names.swapMarker);

    const FaultKind dataFault = faultAt(faultHook, RewriteStep::SwapData);
    if (dataFault == FaultKind::Crash) return crash(false);
    if (Result s = replaceUnlessFailed(dataFault, names.me2, names.mem); !s)
        return giveUp(QStringLiteral("Can not replace %1 (%2); the old files are kept.").arg(shortName(names.mem), s.detail()));

    const FaultKind tableFault = faultAt(faultHook, RewriteStep::SwapTable);
    if (tableFault == FaultKind::Crash) return crash(true);
    if (Result s = replaceUnlessFailed(tableFault, names.sa2, names.sav); !s) {
        // The new data file is in place and cannot be taken back: keep the marker so that the
        // next open puts the matching table file in place too.
        return Result(ResultCode::Unfinished,
                      QStringLiteral("Can not replace %1 (%2); it will be completed when the file is opened next.")
                          .arg(shortName(names.sav), s.detail()));
    }
    syncFolderOf(names.sav);
    if (faultAt(faultHook, RewriteStep::Finish) == FaultKind::Crash) return crash(true);
    QFile::remove(names.swapMarker);
    return {};
}

Result recoverInterruptedRewrite(const ServiceFileNames& names) {
    if (!QFile::exists(names.swapMarker)) {
        // A rewrite that stopped before its swap: its files were never complete.
        QFile::remove(names.sa2);
        QFile::remove(names.me2);
        return {};
    }
    // The marker only says that a save got this far; what it would put in place is checked as
    // the save checked it, since anything may have happened to the files since. The data file
    // goes first in a swap, so the new table may meet the new data file already in place.
    const bool newTable = fileKindAt(names.sa2, false) != FileKind::Missing;
    const bool newData = fileKindAt(names.me2, false) != FileKind::Missing;
    if (newTable || newData) {
        const QString table = newTable ? names.sa2 : names.sav, data = newData ? names.me2 : names.mem;
        if (Result s = checkPairMatches(table, data); !s)
            return Result(ResultCode::Damaged,
                          QStringLiteral("Can not complete the last save of %1: %2 and %3, which %4 asks to put in place, "
                                         "are no service file (%5). Nothing was replaced; remove %4 to open the files as they are.")
                              .arg(shortName(names.sav), shortName(table), shortName(data), shortName(names.swapMarker), s.message()));
    }
    for (const auto& [from, to] : {std::pair(names.me2, names.mem), std::pair(names.sa2, names.sav)}) {
        if (!QFile::exists(from)) continue;
        if (Result s = replaceFile(from, to); !s)
            return Result(ResultCode::DiskError,
                          QStringLiteral("Can not complete the last save of %1: %2").arg(shortName(names.sav), s.detail()));
    }
    syncFolderOf(names.sav);
    QFile::remove(names.swapMarker);
    return {};
}

}  // namespace qv
