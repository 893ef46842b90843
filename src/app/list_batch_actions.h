#pragma once
// The right-click menu of each list: the whole list out to a folder (or, for the interface
// strings, a PO file for translators) and back in, as one edit. A long batch runs off the
// user-interface thread behind a progress dialog; a refused batch is one message listing every
// problem.
#include "app/dialog_service.h"
#include "editors/bulk_operations.h"
#include "files/workspace.h"

#include <QObject>
#include <functional>

class QListView;
class QMenu;
class QWidget;

namespace qv {

class ListBatchActions final : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        // The list's rows, ticks and pictures changed: the window shows them anew.
        std::function<void(ListKind)> listChanged;
        // Where the folder and file choosers start.
        std::function<QString()> startFolder;
    };
    ListBatchActions(QWidget* window, Workspace& workspace, DialogService& dialogs, Hooks hooks);

    // Gives `list` the menu of its kind.
    void attach(QListView* list, ListKind kind);
    // The menu of a kind: "Export all…" and "Import folder…", or for strings "Export for
    // translation…" and "Import translation…".
    QMenu* menuFor(ListKind kind, QWidget* parent);

    void exportAll(ListKind kind);
    void importAll(ListKind kind);

private:
    BulkResult runBatch(const QString& label, const std::function<BulkResult()>& batch);
    void report(const BulkResult& result, const QString& done, const QString& refused);

    QWidget* window_;
    Workspace& ws_;
    DialogService& dialogs_;
    Hooks hooks_;
};

}  // namespace qv
