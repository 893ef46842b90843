// A whole translation at once: importing a PO file that changes every one of the 15,001 strings
// of a full phone, against one save of the same service file. The goal is at most two saves:
// reading, checking and encoding every string may cost no more than the save it ends with.
#include "demo_model/demo_model.h"
#include "editors/bulk_operations.h"
#include "editors/po_file.h"
#include "files/flash_dump_source.h"
#include "files/workspace.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <array>
#include <chrono>
#include <memory>

namespace {

using namespace qv;
using Clock = std::chrono::steady_clock;

// The full demo model with its data file, and translations of every string, each different
// from the others and from the model's own texts: the first from the model's texts, then two
// that turn each other's texts into their own, so that importing them in turn changes every
// string every time (an entry only applies to the text it was made from).
struct Translations {
    QTemporaryDir folder;
    QString tableFile;
    std::array<QString, 3> poFiles;
    int strings = 0;
    QString error;
};

// The text of translation `shift` for a row; shift 0 is the model's own.
QString translatedText(const Workspace& ws, int row, int shift) {
    const QString letters = QString::fromUtf8("абвгдежзийклмнопрстуфхцчшщъыьэюяАБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ");
    const int length = ws.image().strings[size_t(row)].length;
    QString t;
    for (int i = 0; i < length; ++i) t += letters[(row * 7 + i + shift) % letters.size()];
    return t;
}

Expected<QByteArray> translation(Workspace& ws, int shift, int fromShift) {
    const auto po = stringsPo(ws, {});
    if (!po) return po.error();
    const auto catalogue = parsePo(*po);
    if (!catalogue) return catalogue.error();
    std::vector<PoEntry> entries = catalogue->entries;
    for (PoEntry& e : entries) {
        const int row = e.context->toInt();
        if (fromShift > 0) e.id = translatedText(ws, row, fromShift);
        e.translation = translatedText(ws, row, shift);
    }
    return writePo({}, {{"Content-Type", "text/plain; charset=UTF-8"}}, entries);
}

const Translations& translations() {
    static const std::unique_ptr<Translations> made = [] {
        auto t = std::make_unique<Translations>();
        DemoModelOptions options;
        options.fullTables = true;
        const auto model = makeDemoModel(t->folder.path(), options);
        if (!model) {
            t->error = model.error().message();
            return t;
        }
        Workspace ws;
        Result s = ws.open(model->tableFile);
        if (s) s = importFromFlashDumps(ws, model->dump1, model->dump2);
        if (!s) {
            t->error = s.message();
            return t;
        }
        t->tableFile = ws.chosenName();
        t->strings = ws.rowCount(ListKind::Strings);
        for (int k = 0; k < 3; ++k) {
            t->poFiles[size_t(k)] = t->folder.filePath(QStringLiteral("t%1.po").arg(k));
            const auto po = translation(ws, k == 2 ? 1 : k + 1, k == 0 ? 0 : k == 1 ? 1 : 2);
            if (!po) {
                t->error = po.error().message();
                return t;
            }
            QFile f(t->poFiles[size_t(k)]);
            if (po->isEmpty() || !f.open(QIODevice::WriteOnly) || f.write(*po) != po->size()) {
                t->error = QStringLiteral("cannot write %1").arg(f.fileName());
                return t;
            }
        }
        return t;
    }();
    return *made;
}

bool openFull(benchmark::State& state, Workspace& ws) {
    const Translations& t = translations();
    if (!t.error.isEmpty()) {
        state.SkipWithError(qPrintable(t.error));
        return false;
    }
    if (Result s = ws.open(t.tableFile); !s) {
        state.SkipWithError(qPrintable(s.message()));
        return false;
    }
    return true;
}

// The translation the service file does not hold: the benchmark runs each function more than
// once on the same files, so the turn is kept across runs. The first turns the model's texts
// into the first translation; the second and third then alternate.
int nextTranslation = 0;
size_t translationIndex(int turn) { return turn == 0 ? 0 : size_t(1 + (turn - 1) % 2); }

// One import; false (and the benchmark marked failed) unless every string changed.
bool importAll(benchmark::State& state, Workspace& ws) {
    const BulkResult r = importStrings(ws, translations().poFiles[translationIndex(nextTranslation++)], BulkMode::AllOrNothing);
    if (!r.status || !r.problems.empty() || int(r.rows.size()) != translations().strings) {
        state.SkipWithError(!r.status ? qPrintable(r.status.message())
                                      : !r.problems.empty() ? qPrintable(r.problems.front().reason)
                                                            : "not every string changed");
        return false;
    }
    return true;
}

void BM_ImportAllStrings(benchmark::State& state) {
    Workspace ws;
    if (!openFull(state, ws)) return;
    for (auto _ : state)
        if (!importAll(state, ws)) return;
    state.SetItemsProcessed(int64_t(state.iterations()) * translations().strings);
}
BENCHMARK(BM_ImportAllStrings)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void BM_SaveFull(benchmark::State& state) {
    Workspace ws;
    if (!openFull(state, ws)) return;
    for (auto _ : state) {
        if (Result s = ws.save(); !s) {
            state.SkipWithError(qPrintable(s.message()));
            return;
        }
    }
}
BENCHMARK(BM_SaveFull)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// Both, interleaved, so that the ratio sees the same state of the disk and the page cache.
void BM_ImportOverSave(benchmark::State& state) {
    Workspace ws;
    if (!openFull(state, ws)) return;
    Clock::duration importing{}, saving{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        if (!importAll(state, ws)) return;
        const auto t1 = Clock::now();
        if (Result s = ws.save(); !s) {
            state.SkipWithError(qPrintable(s.message()));
            return;
        }
        importing += t1 - t0;
        saving += Clock::now() - t1;
    }
    const double n = double(state.iterations());
    state.counters["import_ms"] = std::chrono::duration<double, std::milli>(importing).count() / n;
    state.counters["save_ms"] = std::chrono::duration<double, std::milli>(saving).count() / n;
    state.counters["import_over_save"] = std::chrono::duration<double>(importing) / std::chrono::duration<double>(saving);
}
BENCHMARK(BM_ImportOverSave)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5);

}  // namespace

BENCHMARK_MAIN();
