// The service file of a full phone (15,001 pictures and strings): opening it, saving it, what a
// save cannot avoid doing (packing the tables and copying the data file), and the picture list's
// decoding, thumbnails and thumbnail store.
#include "demo_model/demo_model.h"
#include "editors/item_views.h"
#include "editors/thumbnail.h"
#include "editors/thumbnail_store.h"
#include "files/flash_dump_source.h"
#include "files/workspace.h"
#include "files/zlib_section.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <malloc.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

using namespace qv;
using Clock = std::chrono::steady_clock;

// The full demo model, its data file built from the flash dumps, made once per process in a
// folder on the same disk as the system's temporary folder.
struct FullServiceFile {
    QTemporaryDir folder;
    QString tableFile;
    QString error;
};

const FullServiceFile& fullServiceFile() {
    static const std::unique_ptr<FullServiceFile> made = [] {
        auto f = std::make_unique<FullServiceFile>();
        if (!f->folder.isValid()) {
            f->error = QStringLiteral("no temporary folder");
            return f;
        }
        DemoModelOptions options;
        options.phoneType = 5;
        options.fullTables = true;
        const auto model = makeDemoModel(f->folder.path(), options);
        if (!model) {
            f->error = model.error().message();
            return f;
        }
        Workspace ws;
        Result s = ws.open(model->tableFile);
        if (s) s = importFromFlashDumps(ws, model->dump1, model->dump2);
        if (!s) {
            f->error = s.message();
            return f;
        }
        f->tableFile = ws.chosenName();
        return f;
    }();
    return *made;
}

// Opens the full service file into `ws`, or marks the benchmark as failed.
bool openFull(benchmark::State& state, Workspace& ws) {
    const FullServiceFile& f = fullServiceFile();
    if (!f.error.isEmpty()) {
        state.SkipWithError(qPrintable(f.error));
        return false;
    }
    if (Result s = ws.open(f.tableFile); !s) {
        state.SkipWithError(qPrintable(s.message()));
        return false;
    }
    return true;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// What any save has to do: pack every present table at level 9, and copy the data file to a new
// file that is on the disk before the call returns.
void packTables(const Workspace& ws) {
    const MediaImage& image = ws.image();
    for (int id : kSectionOrder) {
        if (!image.isPresent(id)) continue;
        const QByteArray packed = deflateSection(image.tableBlock(id));
        benchmark::DoNotOptimize(packed.constData());
    }
}

bool copyDataFile(Workspace& ws, const QString& copyName) {
    QFile in(ws.names().mem);
    QFile out(copyName);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QByteArray bytes = in.readAll();
    return out.write(bytes) == bytes.size() && out.flush() && ::fsync(out.handle()) == 0;
}

QString copyNameFor(const Workspace& ws) { return ws.names().mem + QStringLiteral(".copy"); }

void BM_Open(benchmark::State& state) {
    Workspace ws;
    if (!openFull(state, ws)) return;
    for (auto _ : state) {
        if (Result s = ws.open(fullServiceFile().tableFile); !s) {
            state.SkipWithError(qPrintable(s.message()));
            return;
        }
    }
    state.counters["pictures"] = double(ws.rowCount(ListKind::Pictures));
    state.counters["strings"] = double(ws.rowCount(ListKind::Strings));
    state.counters["data_file_bytes"] = double(ws.dataFile().size());
    state.counters["table_file_bytes"] = double(QFile(ws.chosenName()).size());
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state) {
    Workspace ws;
    if (!openFull(state, ws)) return;
    for (auto _ : state) {
        if (Result s = ws.save(); !s) {
            state.SkipWithError(qPrintable(s.message()));
            return;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * ws.dataFile().size());
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void BM_SaveBaseline(benchmark::State& state) {
    Workspace ws;
    if (!openFull(state, ws)) return;
    const QString copy = copyNameFor(ws);
    for (auto _ : state) {
        packTables(ws);
        if (!copyDataFile(ws, copy)) {
            state.SkipWithError("cannot copy the data file");
            return;
        }
    }
    QFile::remove(copy);
    state.SetBytesProcessed(int64_t(state.iterations()) * ws.dataFile().size());
}
BENCHMARK(BM_SaveBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// Both, interleaved, so that the ratio sees the same state of the disk and the page cache.
void BM_SaveOverBaseline(benchmark::State& state) {
    Workspace ws;
    if (!openFull(state, ws)) return;
    const QString copy = copyNameFor(ws);
    Clock::duration save{}, pack{}, copying{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const Result s = ws.save();
        const auto t1 = Clock::now();
        packTables(ws);
        const auto t2 = Clock::now();
        const bool copied = copyDataFile(ws, copy);
        const auto t3 = Clock::now();
        if (!s || !copied) {
            state.SkipWithError(s ? "cannot copy the data file" : qPrintable(s.message()));
            return;
        }
        save += t1 - t0;
        pack += t2 - t1;
        copying += t3 - t2;
    }
    QFile::remove(copy);
    const double n = double(state.iterations());
    state.counters["save_ms"] = seconds(save) * 1000 / n;
    state.counters["deflate_ms"] = seconds(pack) * 1000 / n;
    state.counters["copy_ms"] = seconds(copying) * 1000 / n;
    state.counters["save_over_baseline"] = seconds(save) / seconds(pack + copying);
}
BENCHMARK(BM_SaveOverBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5);

// Every row of the picture list: its picture read from the data file, decoded, and shrunk.
std::vector<QImage> thumbnailsOf(Workspace& ws, Result& status) {
    std::vector<QImage> thumbs;
    const int rows = ws.rowCount(ListKind::Pictures);
    thumbs.reserve(size_t(rows));
    for (int row = 0; row < rows; ++row) {
        const auto picture = pictureOfRow(ws, row);
        if (!picture) {
            status = picture.error();
            return {};
        }
        thumbs.push_back(makeThumbnail(*picture));
    }
    return thumbs;
}

void BM_PictureThumbnails(benchmark::State& state) {
    Workspace ws;
    if (!openFull(state, ws)) return;
    for (auto _ : state) {
        Result s;
        const std::vector<QImage> thumbs = thumbnailsOf(ws, s);
        if (!s) {
            state.SkipWithError(qPrintable(s.message()));
            return;
        }
        benchmark::DoNotOptimize(thumbs.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ws.rowCount(ListKind::Pictures));
}
BENCHMARK(BM_PictureThumbnails)->Unit(benchmark::kMillisecond);

size_t heapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// The store holding a thumbnail for every row: the time to fill it, and the memory it then holds
// (its own count of stored bytes, and what the heap grew by, overheads included).
void BM_ThumbnailStore(benchmark::State& state) {
    Workspace ws;
    if (!openFull(state, ws)) return;
    Result s;
    const std::vector<QImage> thumbs = thumbnailsOf(ws, s);
    if (!s) {
        state.SkipWithError(qPrintable(s.message()));
        return;
    }
    qsizetype stored = 0;
    int64_t heapGrowth = 0;
    bool tookAll = true;
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<ThumbnailStore>();
        malloc_trim(0);
        const size_t before = heapInUse();
        state.ResumeTiming();
        for (const QImage& t : thumbs) store->add(t);
        state.PauseTiming();
        heapGrowth = int64_t(heapInUse()) - int64_t(before);
        stored = store->storedBytes();
        tookAll = tookAll && store->count() == int(thumbs.size());
        store.reset();
        state.ResumeTiming();
    }
    if (!tookAll) state.SkipWithError("the store did not take every thumbnail");
    const double n = double(thumbs.size());
    state.counters["thumbnails"] = n;
    state.counters["stored_bytes"] = double(stored);
    state.counters["heap_bytes"] = double(heapGrowth);
    state.counters["heap_bytes_per_thumbnail"] = double(heapGrowth) / n;
    // For scale: the same thumbnails kept as 32-bit images.
    state.counters["rgb32_bytes"] = n * kThumbnailSize * kThumbnailSize * 4;
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(thumbs.size()));
}
BENCHMARK(BM_ThumbnailStore)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
