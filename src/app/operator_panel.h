#pragma once
// The operators' mode: the code and three names of the selected network operator, applied
// to the phone's operator list.
#include "app/mode_panel.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace qv {

class CheckListModel;
struct OperRecord;

class OperatorPanel final : public ModePanel {
    Q_OBJECT
public:
    OperatorPanel(const PanelContext& context, CheckListModel* model, QWidget* window);

    std::optional<PanelList> list() const override;
    // The operator records read afresh.
    void fill(ProgressDialog& progress) override;
    // The names' limits from the phone's operator format.
    void enter() override;
    // The fields empty, nothing to apply.
    void showNoSelection() override;
    int currentRow() const;
    void applyOperatorClicked();

    QListView* operatorList = nullptr;
    QLabel* operatorInfoLabel = nullptr;
    QLabel* operatorCodeLabel = nullptr;
    QLineEdit* operatorCodeEdit = nullptr;
    QLabel *name1Label = nullptr, *name2Label = nullptr, *name3Label = nullptr;
    QLineEdit *name1 = nullptr, *name2 = nullptr, *name3 = nullptr;
    QToolButton* applyOperatorButton = nullptr;

private:
    void selectOperator(int row);
    QLineEdit* nameEdit(int k) const;
    void nameEdited(int k);
    QByteArray nameToStore(int k, const OperRecord& record) const;

    Workspace& ws_;
    DialogService& dialogs_;
    CheckListModel* operatorModel_;
    int nameLimits_[3] = {10, 25, 50};
    int typingLimits_[3] = {10, 25, 50};  // the limits, or the longer names as shown
    QString typed_[3];                    // the fields' texts after the last edit
};

}  // namespace qv
