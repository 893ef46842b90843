#pragma once
// A list of item texts with tick marks, over the workspace's tick vector, so that lists of
// 15,001 rows fill and scroll without one widget per row.
#include <QAbstractListModel>
#include <QStringList>
#include <vector>

namespace qv {

class CheckListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    explicit CheckListModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

    // The ticks live in the workspace; the model shows and changes them.
    void reset(QStringList texts, std::vector<bool>* ticks);
    void clear() { reset({}, nullptr); }
    void setText(int row, const QString& text);
    void ticksChanged();  // after a task changed the ticks
    std::vector<QString> texts() const { return {texts_.begin(), texts_.end()}; }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(texts_.size()); }
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QStringList texts_;
    std::vector<bool>* ticks_ = nullptr;
};

}  // namespace qv
