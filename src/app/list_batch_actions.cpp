#include "app/list_batch_actions.h"

#include "editors/char_map_coding.h"
#include "editors/item_views.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QListView>
#include <QMenu>
#include <QProgressDialog>
#include <QtConcurrent/QtConcurrentRun>

namespace qv {

namespace {

const QString kCaption = QStringLiteral("Quorvanta");

QString itemsOf(ListKind kind) { return QLatin1String(listName(kind)); }

}  // namespace

ListBatchActions::ListBatchActions(QWidget* window, Workspace& workspace, DialogService& dialogs, Hooks hooks)
    : QObject(window), window_(window), ws_(workspace), dialogs_(dialogs), hooks_(std::move(hooks)) {}

void ListBatchActions::attach(QListView* list, ListKind kind) {
    if (kind == ListKind::Operators) return;  // operators have no files of their own
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list, kind](const QPoint& at) {
        QMenu* menu = menuFor(kind, list);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(list->viewport()->mapToGlobal(at));
    });
}

QMenu* ListBatchActions::menuFor(ListKind kind, QWidget* parent) {
    auto* menu = new QMenu(parent);
    const bool strings = kind == ListKind::Strings;
    QAction* out = menu->addAction(strings ? tr("Export for translation…") : tr("Export all…"));
    QAction* in = menu->addAction(strings ? tr("Import translation…") : tr("Import folder…"));
    const bool hasRows = ws_.rowCount(kind) > 0;
    out->setEnabled(hasRows);
    in->setEnabled(hasRows);
    connect(out, &QAction::triggered, this, [this, kind] { exportAll(kind); });
    connect(in, &QAction::triggered, this, [this, kind] { importAll(kind); });
    return menu;
}

void ListBatchActions::exportAll(ListKind kind) {
    const QString start = hooks_.startFolder ? hooks_.startFolder() : QString();
    if (kind == ListKind::Strings) {
        const QString po = dialogs_.chooseSaveFile(tr("Export for translation"), QStringLiteral("PO file|*.po"),
                                                   start + QStringLiteral("/strings.po"));
        if (po.isEmpty()) return;
        const BulkResult r = runBatch(tr("Writing the strings…"), [this, po] { return exportStrings(ws_, po); });
        report(r, tr("Written to %1: %2 strings.").arg(po).arg(r.rows.size()), {});
        return;
    }
    const QString folder = dialogs_.chooseFolder(tr("Export all %1 to the folder").arg(itemsOf(kind)), start);
    if (folder.isEmpty()) return;
    const BulkResult r = runBatch(tr("Writing the %1…").arg(itemsOf(kind)), [this, kind, folder] {
        return kind == ListKind::Pictures ? exportPictures(ws_, folder, PictureFileType::Png) : exportMelodies(ws_, folder);
    });
    report(r, tr("Written to %1: %2 files.").arg(folder).arg(r.rows.size()), {});
}

void ListBatchActions::importAll(ListKind kind) {
    const QString start = hooks_.startFolder ? hooks_.startFolder() : QString();
    std::function<BulkResult()> batch;
    if (kind == ListKind::Strings) {
        const QString po = dialogs_.chooseOpenFile(tr("Import translation"), QStringLiteral("PO file|*.po"), start);
        if (po.isEmpty()) return;
        batch = [this, po] { return importStrings(ws_, po, BulkMode::AllOrNothing); };
    } else {
        const QString folder = dialogs_.chooseFolder(tr("Import %1 from the folder").arg(itemsOf(kind)), start);
        if (folder.isEmpty()) return;
        batch = [this, kind, folder] {
            return kind == ListKind::Pictures ? importPictures(ws_, folder, BulkMode::AllOrNothing)
                                              : importMelodies(ws_, folder, BulkMode::AllOrNothing);
        };
    }
    const BulkResult r = runBatch(tr("Importing the %1…").arg(itemsOf(kind)), batch);
    if (!r.rows.empty() && hooks_.listChanged) hooks_.listChanged(kind);
    report(r, tr("Changed and ticked for the phone: %1. Unchanged: %2.").arg(r.rows.size()).arg(r.unchanged),
           tr("Refused: %1 (listed below); nothing was changed.").arg(r.problems.total()));
}

BulkResult ListBatchActions::runBatch(const QString& label, const std::function<BulkResult()>& batch) {
    // The window stays responsive; the workspace is the batch's alone until it ends, since the
    // progress dialog keeps the window from taking input.
    QProgressDialog progress(label, QString(), 0, 0, window_);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    progress.setCancelButton(nullptr);
    QFutureWatcher<BulkResult> watcher;
    QEventLoop loop;
    connect(&watcher, &QFutureWatcher<BulkResult>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run(batch));
    if (!watcher.isFinished()) loop.exec();
    return watcher.result();
}

void ListBatchActions::report(const BulkResult& r, const QString& done, const QString& refused) {
    if (!r.status) {
        dialogs_.showErrorDetails(r.status.message(), kCaption, problemLines(r.problems).join(QLatin1Char('\n')));
    } else if (!r.afterwards) {
        dialogs_.showErrorDetails(done + QLatin1Char('\n') + r.afterwards.message(), kCaption,
                                  problemLines(r.problems).join(QLatin1Char('\n')));
    } else if (!r.problems.empty()) {
        dialogs_.showErrorDetails(refused.isEmpty() ? tr("Not written: %1 (listed below).").arg(r.problems.total()) : refused,
                                  kCaption, problemLines(r.problems).join(QLatin1Char('\n')));
    } else {
        dialogs_.showMessage(done, kCaption);
    }
}

}  // namespace qv
