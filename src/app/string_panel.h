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

    // The list from the workspace, decoded through the phone's character map; the first row
    // selected.
    void fill(ProgressDialog& progress);
    // The strings come to the front: the panel shows, the selected string described anew.
    void enter();
    // The list has no rows: the editor empty, nothing to apply.
    void showNoSelection();
    int currentRow() const;
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
    // A string's text was stored: whatever it names shows it anew.
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
