#pragma once
// The strings' mode (the phone's language pack): searching, editing a string within its
// length and the characters the phone can show, line breaks, the font page, and applying the
// text to the phone's string table.
#include "app/mode_panel.h"
#include "editors/char_map_coding.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qv {

class CheckListModel;
class ProgressDialog;

class StringPanel final : public ModePanel {
    Q_OBJECT
public:
    StringPanel(const PanelContext& context, CheckListModel* model, QWidget* window);

    std::optional<PanelList> list() const override;
    // Strings stay closed on the models that keep their tables in reversed order.
    bool opens() const override;
    // Decoded through the phone's character map.
    void fill(ProgressDialog& progress) override;
    void enter() override;
    // The editor empty, nothing to apply.
    void showNoSelection() override;
    // Melodies named by a deleted string lose their names; the others follow their strings.
    void rowsDeleted(const std::vector<int>& rows) override;
    int currentRow() const;
    // Makes `row` the current string (the mode is not brought to the front).
    void selectRow(int row);
    void insertLineBreak();
    void fontPageChanged(int index);
    void searchChanged(const QString& text);
    void applyStringClicked();

    QListView* stringList = nullptr;
    QLabel *lengthCaption = nullptr, *lengthLabel = nullptr;  // "String length -" and the selected string's
    QLabel *searchLabel = nullptr, *stringEditLabel = nullptr;
    QLabel* searchStateLabel = nullptr;  // says when the search text begins no string
    QLineEdit *searchEdit = nullptr, *stringEdit = nullptr;
    QPushButton *lineBreakButton = nullptr, *applyStringButton = nullptr;
    QComboBox* fontPageCombo = nullptr;

signals:
    // A string's text was stored, or strings were deleted: whatever they name shows anew.
    void stringApplied();

private:
    void buildEditor();
    void selectString(int row);
    void stringEdited();

    Workspace& ws_;
    DialogService& dialogs_;
    CheckListModel* stringModel_;
    CharMapCoding coding_;
};

}  // namespace qv
