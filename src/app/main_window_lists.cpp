// The keys the four lists share: Shift+Up and Shift+Down tick the row they leave, the
// numeric-pad * inverts every tick (not in the strings list), and Delete removes the ticked
// rows after a question.
#include "app/main_window.h"
#include "app/melody_panel.h"
#include "app/operator_panel.h"
#include "app/picture_panel.h"
#include "app/string_panel.h"
#include "base/language_table.h"
#include "editors/edit_operations.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListView>

namespace qv {

QListView* MainWindow::listOf(ListKind kind) const {
    switch (kind) {
    case ListKind::Pictures: return picturePanel->pictureList;
    case ListKind::Melodies: return melodyPanel->melodyList;
    case ListKind::Operators: return operatorPanel->operatorList;
    case ListKind::Strings: break;
    }
    return stringPanel->stringList;
}

CheckListModel* MainWindow::modelOf(ListKind kind) const {
    switch (kind) {
    case ListKind::Pictures: return pictureModel_;
    case ListKind::Melodies: return melodyModel_;
    case ListKind::Operators: return operatorModel_;
    case ListKind::Strings: break;
    }
    return stringModel_;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    watchAltKey(watched, event);
    if (event->type() == QEvent::KeyPress)
        for (ListKind kind : {ListKind::Pictures, ListKind::Melodies, ListKind::Operators, ListKind::Strings})
            if (watched == listOf(kind)) return listKey(listOf(kind), kind, static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::listKey(QListView* list, ListKind kind, QKeyEvent* key) {
    CheckListModel* model = modelOf(kind);
    const bool arrow = key->key() == Qt::Key_Up || key->key() == Qt::Key_Down;
    if (arrow && (key->modifiers() & Qt::ShiftModifier)) {
        if (list->currentIndex().isValid()) model->setData(list->currentIndex(), Qt::Checked, Qt::CheckStateRole);
        return false;  // the list moves the focus as usual
    }
    if (key->key() == Qt::Key_Asterisk && (key->modifiers() & Qt::KeypadModifier) && kind != ListKind::Strings) {
        ws_.ticks(kind).flip();
        model->ticksChanged();
        return true;
    }
    if (key->key() == Qt::Key_Delete) {
        deleteTickedRows(kind);
        return true;
    }
    return false;
}

void MainWindow::deleteTickedRows(ListKind kind) {
    CheckListModel* model = modelOf(kind);
    QListView* list = listOf(kind);
    const int rows = model->rowCount();
    if (rows == 0 || !dialogs().askYesNo(langText(Text::ConfirmDelete), langText(Text::Attention))) return;
    const int focus = list->currentIndex().isValid() ? list->currentIndex().row() : rows - 1;
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
        if (kind == ListKind::Pictures)
            for (auto row = doomed.rbegin(); row != doomed.rend(); ++row) thumbnails_.remove(*row);
        model->reset(kept, &ws_.ticks(kind));
        if (!kept.isEmpty()) list->setCurrentIndex(model->index(std::min<int>(focus, int(kept.size()) - 1)));
        if (kept.isEmpty()) showNoSelection(kind);
        // Melodies named by a deleted string lose their names; the others follow their strings.
        if (kind == ListKind::Strings) melodyPanel->namesChanged();
        if (kind == ListKind::Melodies) melodyPanel->placeMelodyRowControls();
    }
    if (!saved) dialogs().showError(saved.message(), langText(Text::Attention));
}

}  // namespace qv
