// The keys the four lists share: Shift+Up and Shift+Down tick the row they leave, the
// numeric-pad * inverts every tick (not in the strings list), and Delete removes the ticked
// rows after a question.
#include "app/check_list_model.h"
#include "app/main_window.h"
#include "base/language_table.h"
#include "editors/edit_operations.h"

#include <QKeyEvent>
#include <QListView>

namespace qv {

ModePanel& MainWindow::panelOf(ListKind kind) const {
    for (const ModeSlot& m : modes_)
        if (const auto l = m.panel->list(); l && l->kind == kind) return *m.panel;
    return *modes_.front().panel;  // every kind has its panel
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    watchAltKey(watched, event);
    if (event->type() == QEvent::KeyPress)
        for (const ModeSlot& m : modes_)
            if (const auto l = m.panel->list(); l && watched == l->view)
                return listKey(*m.panel, *l, static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::listKey(ModePanel& panel, const PanelList& list, QKeyEvent* key) {
    CheckListModel* model = list.model;
    const bool arrow = key->key() == Qt::Key_Up || key->key() == Qt::Key_Down;
    if (arrow && (key->modifiers() & Qt::ShiftModifier)) {
        if (list.view->currentIndex().isValid()) model->setData(list.view->currentIndex(), Qt::Checked, Qt::CheckStateRole);
        return false;  // the list moves the focus as usual
    }
    if (key->key() == Qt::Key_Asterisk && (key->modifiers() & Qt::KeypadModifier) && list.invertsTicks) {
        ws_.ticks(list.kind).flip();
        model->ticksChanged();
        return true;
    }
    if (key->key() == Qt::Key_Delete) {
        deleteTickedRows(panel, list);
        return true;
    }
    return false;
}

void MainWindow::deleteTickedRows(ModePanel& panel, const PanelList& list) {
    const ListKind kind = list.kind;
    CheckListModel* model = list.model;
    const int rows = model->rowCount();
    if (rows == 0 || !dialogs().askYesNo(langText(Text::ConfirmDelete), langText(Text::Attention))) return;
    const int focus = list.view->currentIndex().isValid() ? list.view->currentIndex().row() : rows - 1;
    const std::vector<bool>& ticks = ws_.ticks(kind);
    std::vector<int> doomed;
    QStringList kept;
    for (int i = 0; i < rows; ++i) {
        if (size_t(i) < ticks.size() && ticks[size_t(i)])
            doomed.push_back(i);
        else
            kept << model->data(model->index(i), Qt::DisplayRole).toString();
    }
    if (doomed.empty()) return;
    const Result saved = deleteRows(ws_, kind, doomed);
    // The rows are gone from the tables even when saving failed afterwards.
    if (ws_.rowCount(kind) == rows - int(doomed.size())) {
        model->reset(kept, &ws_.ticks(kind));
        if (!kept.isEmpty()) list.view->setCurrentIndex(model->index(std::min<int>(focus, int(kept.size()) - 1)));
        if (kept.isEmpty()) panel.showNoSelection();
        panel.rowsDeleted(doomed);
    }
    if (!saved) dialogs().showError(saved.message(), langText(Text::Attention));
}

}  // namespace qv
