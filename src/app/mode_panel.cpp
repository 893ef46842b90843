#include "app/mode_panel.h"

#include <QListView>

namespace qv {

ModePanel::ModePanel(QWidget* window) : QWidget(window) {
    setGeometry(window->rect());
    // Beneath the title bar, toolbar and mode bar made before it: a layer over them would take
    // their clicks wherever it has no control of its own.
    lower();
    hide();
}

int currentListRow(const QListView* list, const Workspace& workspace, ListKind kind) {
    const QModelIndex i = list->currentIndex();
    return i.isValid() && i.row() < workspace.rowCount(kind) ? i.row() : -1;
}

}  // namespace qv
