// Opening a model with full tables in the window (lists filled, thumbnails made) against
// decoding its pictures and strings alone, in the same run.
//   bench_window_open [RUNS]
#include "app/main_window.h"
#include "demo_model/demo_model.h"
#include "editors/char_map_coding.h"
#include "editors/item_views.h"
#include "editors/thumbnail.h"
#include "files/flash_dump_source.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace qv;

namespace {

double decodeAlone(const QString& sav) {
    QElapsedTimer t;
    t.start();
    Workspace ws;
    ws.open(sav);
    for (int i = 0; i < ws.rowCount(ListKind::Pictures); ++i)
        if (const auto picture = pictureOfRow(ws, i)) (void)makeThumbnail(*picture);
    CharMapCoding coding;
    coding.rebuild(ws.image().charMap);
    for (int i = 0; i < ws.rowCount(ListKind::Strings); ++i) (void)stringOfRow(ws, coding, i);
    return double(t.nsecsElapsed()) / 1e6;
}

double openInWindow(const QString& sav) {
    MainWindowOptions options;
    options.settingsPath = QDir::temp().filePath("bench-setting.ini");
    MainWindow window(options);
    window.show();
    QApplication::processEvents();
    QElapsedTimer t;
    t.start();
    window.openServiceFile(sav);
    QApplication::processEvents();
    return double(t.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir dir;
    const auto model = makeDemoModel(dir.path(), {5, true, "full"});
    if (!model) {
        std::fprintf(stderr, "%s\n", qPrintable(model.error().message()));
        return 1;
    }
    {
        Workspace ws;
        if (!ws.open(model->tableFile) || !importFromFlashDumps(ws, model->dump1, model->dump2)) return 1;
    }
    std::vector<double> alone, window;
    for (int r = 0; r < runs; ++r) {
        alone.push_back(decodeAlone(model->tableFile));
        window.push_back(openInWindow(model->tableFile));
    }
    const double a = median(alone), w = median(window);
    std::printf("pictures %d, strings %d\n", model->pictures - 1, model->strings);
    std::printf("decode pictures + thumbnails + strings alone: %.1f ms\n", a);
    std::printf("open in the window, lists filled:            %.1f ms\n", w);
    std::printf("ratio: %.2f (goal: at most 1.5)\n", w / a);
    return 0;
}
