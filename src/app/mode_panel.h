#pragma once
// What the panels of the main window's modes have in common. Each panel is a layer as large
// as the window and beneath the window's own controls, so that its controls keep the window's
// coordinates and the window's background shows through wherever it has none.
#include "files/workspace.h"

#include <QWidget>
#include <functional>

class QListView;

namespace qv {

class DialogService;
class ListBatchActions;

// What the list panels work on; the main window owns all of it.
struct PanelContext {
    Workspace& workspace;
    DialogService& dialogs;
    ListBatchActions& batchActions;
    // Where a melody goes on its way to the player.
    std::function<QString()> exportFolder;
};

class ModePanel : public QWidget {
    Q_OBJECT
public:
    explicit ModePanel(QWidget* window);
};

// The selected row of `list`, or -1 when none is or it lies beyond the workspace's rows of `kind`.
int currentListRow(const QListView* list, const Workspace& workspace, ListKind kind);

// Asks where Export writes an item, offering `fileName` in the service file's folder; empty
// when the user cancels.
QString chooseExportFile(const PanelContext& context, const QString& fileName, const QString& filter);

}  // namespace qv
