// What a hostile PO file costs import-strings: a file of tiny entries, almost all refused, of
// 64 MB (the largest the import reads) by default. The goal is a peak memory within 8 × the
// file's size and a refusal list that stays a hundred lines long, however many are refused.
//
// A plain harness: the command runs as its own process, as a user runs it, and its peak
// resident size comes from the system (wait4); `show` on the same service file gives the
// program's own footprint, which the figure is set against.
//
// usage: bench_po_memory [--mb N] [--cli PATH] [--keep DIR]
#include "demo_model/demo_model.h"
#include "files/flash_dump_source.h"
#include "files/workspace.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace qv;

struct Run {
    int code = -1;
    long peakKb = 0;
    double seconds = 0;
};

// The program with `args`, stdout dropped and stderr into `errFile`; its exit code, peak
// resident size and wall time.
Run runProgram(const QString& program, const QStringList& args, const QString& errFile) {
    std::vector<QByteArray> words{QFile::encodeName(program)};
    for (const QString& a : args) words.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const QByteArray err = QFile::encodeName(errFile);
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = ::open("/dev/null", O_WRONLY);
        const int e = ::open(err.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || e < 0) _exit(127);
        dup2(out, 1);
        dup2(e, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    Run r;
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return r;
    r.seconds = double(clock.elapsed()) / 1000;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.peakKb = usage.ru_maxrss;
    return r;
}

// Tiny entries, nearly all naming no row; every thousandth one is another entry for row 1. The
// file ends with a whole entry, within `bytes`.
bool writeHostilePo(const QString& path, qint64 bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QByteArray chunk;
    qint64 written = 0;
    for (qint64 i = 0;; ++i) {
        const QByteArray entry = i % 1000 == 999 ? QByteArray("msgctxt \"1\"\nmsgid \"Messages\"\nmsgstr \"x\"\n\n")
                                                 : "msgctxt \"" + QByteArray::number(100 + i % 90000) + "\"\nmsgid \"\"\nmsgstr \"x\"\n\n";
        const bool last = written + chunk.size() + entry.size() > bytes;
        if (!last) chunk += entry;
        if (last || chunk.size() >= (1 << 20)) {
            if (f.write(chunk) != chunk.size()) return false;
            written += chunk.size();
            chunk.clear();
        }
        if (last) return f.flush();
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const char* name, const QString& fallback) {
        const qsizetype i = args.indexOf(QLatin1String(name));
        return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
    };
    const qint64 mb = option("--mb", "64").toLongLong();
    const QString cli = option("--cli", QDir(app.applicationDirPath()).filePath("quorvanta-cli"));
    QTemporaryDir scratch;
    const QString folder = option("--keep", scratch.path());
    QDir().mkpath(folder);

    const auto model = makeDemoModel(folder, {5, false, "demo"});
    if (!model) {
        std::fprintf(stderr, "bench_po_memory: %s\n", qPrintable(model.error().message()));
        return 1;
    }
    {
        Workspace ws;
        Result s = ws.open(model->tableFile);
        if (s) s = importFromFlashDumps(ws, model->dump1, model->dump2);
        if (!s) {
            std::fprintf(stderr, "bench_po_memory: %s\n", qPrintable(s.message()));
            return 1;
        }
    }
    const QString po = QDir(folder).filePath("hostile.po");
    if (!writeHostilePo(po, mb * 1024 * 1024)) {
        std::fprintf(stderr, "bench_po_memory: cannot write %s\n", qPrintable(po));
        return 1;
    }
    const qint64 poBytes = QFileInfo(po).size();
    const QString errFile = QDir(folder).filePath("stderr.txt");
    const Run shown = runProgram(cli, {"show", model->tableFile}, errFile);
    const Run imported = runProgram(cli, {"import-strings", model->tableFile, po}, errFile);
    QFile err(errFile);
    err.open(QIODevice::ReadOnly);
    const QByteArray said = err.readAll();

    const double fileMb = double(poBytes) / (1024 * 1024);
    const double importMb = double(imported.peakKb) / 1024, ownMb = double(shown.peakKb) / 1024;
    std::printf("PO file            %.1f MB\n", fileMb);
    std::printf("show (footprint)   peak %.1f MB\n", ownMb);
    std::printf("import-strings     exit %d, %.2f s, peak %.1f MB (%.2f x the file; %.2f x beyond the footprint)\n",
                imported.code, imported.seconds, importMb, importMb / fileMb, (importMb - ownMb) / fileMb);
    std::printf("stderr             %lld bytes, %lld lines; last: %s\n", qlonglong(said.size()), qlonglong(said.count('\n')),
                said.trimmed().split('\n').value(said.trimmed().count('\n') - 1).constData());
    const bool met = imported.code == 1 && importMb <= 8 * fileMb && said.count('\n') <= 110;
    std::printf("goal (peak within 8 x the file, at most ~100 refusal lines): %s\n", met ? "met" : "NOT met");
    return met ? 0 : 1;
}
