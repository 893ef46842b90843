// Exporting every picture of a full phone (15,000 files) to a folder on the disk. The goal: the
// wall-clock time at most twice the CPU time, so that flushing the files to the disk never
// costs more than making them. Run from a folder on a real disk (QV_BENCH_DIR names another);
// a temporary folder in memory would flush for free.
#include "demo_model/demo_model.h"
#include "editors/bulk_operations.h"
#include "files/flash_dump_source.h"
#include "files/workspace.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>
#include <ctime>
#include <sys/resource.h>
#include <memory>

namespace {

using namespace qv;

QString benchFolder() {
    const QString env = qEnvironmentVariable("QV_BENCH_DIR");
    return env.isEmpty() ? QDir::currentPath() : env;
}

struct FullModel {
    QTemporaryDir folder{benchFolder() + QStringLiteral("/bench-export-XXXXXX")};
    QString tableFile;
    QString error;
};

const FullModel& fullModel() {
    static const std::unique_ptr<FullModel> made = [] {
        auto m = std::make_unique<FullModel>();
        DemoModelOptions options;
        options.fullTables = true;
        const auto model = makeDemoModel(m->folder.filePath("model"), options);
        if (!model) {
            m->error = model.error().message();
            return m;
        }
        Workspace ws;
        Result s = ws.open(model->tableFile);
        if (s) s = importFromFlashDumps(ws, model->dump1, model->dump2);
        if (!s) m->error = s.message();
        m->tableFile = ws.chosenName();
        return m;
    }();
    return *made;
}

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Times the process gave up the processor to wait, mostly for the disk: unlike the wall-clock
// time, this does not grow with the load of a shared machine.
long waits() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_nvcsw;
}

void BM_ExportAllPictures(benchmark::State& state) {
    const FullModel& m = fullModel();
    if (!m.error.isEmpty()) {
        state.SkipWithError(qPrintable(m.error));
        return;
    }
    Workspace ws;
    if (Result s = ws.open(m.tableFile); !s) {
        state.SkipWithError(qPrintable(s.message()));
        return;
    }
    const auto type = state.range(0) == 0 ? PictureFileType::Png : PictureFileType::Bmp;
    const QString out = m.folder.filePath(QStringLiteral("out"));
    double cpu = 0;
    long waited = 0;
    int files = 0;
    for (auto _ : state) {
        const double before = processCpuSeconds();
        const long waitsBefore = waits();
        const BulkResult r = exportPictures(ws, out, type);
        cpu += processCpuSeconds() - before;
        waited += waits() - waitsBefore;
        if (!r.status) {
            state.SkipWithError(qPrintable(r.status.message()));
            return;
        }
        files = int(r.rows.size());
        state.PauseTiming();
        QDir(out).removeRecursively();  // every run writes new files, as a first export does
        state.ResumeTiming();
    }
    state.counters["files"] = files;
    state.counters["cpu_s"] = cpu / double(state.iterations());
    state.counters["waits"] = double(waited) / double(state.iterations());
}
BENCHMARK(BM_ExportAllPictures)->Arg(0)->Arg(1)->ArgNames({"bmp"})->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
