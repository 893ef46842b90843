#pragma once
// What the panels of the main window's modes have in common. Each panel is a layer as large
// as the window and beneath the window's own controls, so that its controls keep the window's
// coordinates and the window's background shows through wherever it has none.
#include "files/workspace.h"

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

class QListView;

namespace qv {

class CheckListModel;
class DialogService;
class ListBatchActions;
class ProgressDialog;

// What the list panels work on; the main window owns all of it.
struct PanelContext {
    Workspace& workspace;
    DialogService& dialogs;
    ListBatchActions& batchActions;
    // Where a melody goes on its way to the player.
    std::function<QString()> exportFolder;
};

// A mode's list as the window's list keys and Import/Export see it.
struct PanelList {
    QListView* view;
    CheckListModel* model;  // the rows' texts and ticks (the rows to write)
    ListKind kind;
    const char* noun;       // what a row is, for messages: "picture"
    bool invertsTicks;      // the keypad * inverts every tick (the strings keep theirs)
};

// What the main window asks of the mode in front; it holds one panel per mode and knows no
// mode's controls.
class ModePanel : public QWidget {
    Q_OBJECT
public:
    explicit ModePanel(QWidget* window);

    // The mode's list; none in a mode that works without one (restore).
    virtual std::optional<PanelList> list() const { return std::nullopt; }
    // Whether the mode works on the open service file (and Save and Write stand beside it).
    virtual bool needsServiceFile() const { return true; }
    // Whether the mode can come to the front with the file open now.
    virtual bool opens() const { return true; }
    // The mode comes to the front: the panel shows, its selection described anew.
    virtual void enter() { show(); }
    // A new service file (or none): the rows of the old one go.
    virtual void clear();
    // The rows from the workspace, after a file was opened or a whole list imported; the
    // first row selected.
    virtual void fill(ProgressDialog&) {}
    // The list has no rows: nothing described, the commands that need a row disabled.
    virtual void showNoSelection() {}
    // The commands behind Import and Export (the toolbar's), on the selected row.
    virtual void importIntoSelected() {}
    virtual void exportSelected() {}
    // `rows` (ascending) were deleted and the list shows what is left.
    virtual void rowsDeleted(const std::vector<int>& rows) { (void)rows; }

    bool listIsEmpty() const;
};

// The selected row of `list`, or -1 when none is or it lies beyond the workspace's rows of `kind`.
int currentListRow(const QListView* list, const Workspace& workspace, ListKind kind);

// Asks where Export writes an item, offering `fileName` in the service file's folder; empty
// when the user cancels.
QString chooseExportFile(const PanelContext& context, const QString& fileName, const QString& filter);

}  // namespace qv
