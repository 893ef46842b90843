#include "app/mode_panel.h"

#include "app/check_list_model.h"
#include "app/dialog_service.h"
#include "base/language_table.h"

#include <QDir>
#include <QFileInfo>
#include <QListView>

namespace qv {

ModePanel::ModePanel(QWidget* window) : QWidget(window) {
    setGeometry(window->rect());
    // Beneath the title bar, toolbar and mode bar made before it: a layer over them would take
    // their clicks wherever it has no control of its own.
    lower();
    hide();
}

void ModePanel::clear() {
    if (const auto l = list()) l->model->clear();
}

bool ModePanel::listIsEmpty() const {
    const auto l = list();
    return l && l->model->rowCount() == 0;
}

int currentListRow(const QListView* list, const Workspace& workspace, ListKind kind) {
    const QModelIndex i = list->currentIndex();
    return i.isValid() && i.row() < workspace.rowCount(kind) ? i.row() : -1;
}

QString chooseExportFile(const PanelContext& context, const QString& fileName, const QString& filter) {
    const QString folder = QFileInfo(context.workspace.chosenName()).absolutePath();
    return context.dialogs.chooseSaveFile(langText(Text::Export), filter, QDir(folder).filePath(fileName));
}

}  // namespace qv
