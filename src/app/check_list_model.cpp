#include "app/check_list_model.h"

namespace qv {

void CheckListModel::reset(QStringList texts, std::vector<bool>* ticks) {
    beginResetModel();
    texts_ = std::move(texts);
    ticks_ = ticks;
    if (ticks_) ticks_->resize(size_t(texts_.size()), false);
    endResetModel();
}

void CheckListModel::setText(int row, const QString& text) {
    if (row < 0 || row >= texts_.size()) return;
    texts_[row] = text;
    emit dataChanged(index(row), index(row), {Qt::DisplayRole});
}

void CheckListModel::ticksChanged() {
    if (!texts_.isEmpty()) emit dataChanged(index(0), index(int(texts_.size()) - 1), {Qt::CheckStateRole});
}

QVariant CheckListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= texts_.size()) return {};
    if (role == Qt::DisplayRole) return texts_[index.row()];
    if (role == Qt::CheckStateRole && ticks_)
        return (*ticks_)[size_t(index.row())] ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool CheckListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !ticks_ || !index.isValid()) return false;
    (*ticks_)[size_t(index.row())] = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags CheckListModel::flags(const QModelIndex& index) const {
    return QAbstractListModel::flags(index) | Qt::ItemIsUserCheckable;
}

}  // namespace qv
