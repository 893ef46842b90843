#pragma once
// The melodies' mode: what a melody row shows, the melody's size, playing it, importing one
// through the file box beside the focused row or Import, exporting it, and naming a melody by
// one of the phone's strings.
#include "app/mode_panel.h"

class QLabel;
class QPushButton;
class QToolButton;

namespace qv {

class CheckListModel;
class FileNameEdit;
class NameChooser;
struct Settings;

class MelodyPanel final : public ModePanel {
    Q_OBJECT
public:
    // The strings' model gives the melodies their names; the settings the player.
    MelodyPanel(const PanelContext& context, const Settings& settings, CheckListModel* model,
                const CheckListModel* stringModel, QWidget* window);

    std::optional<PanelList> list() const override;
    void fill(ProgressDialog& progress) override;
    // An open name chooser belonged to the visit before.
    void enter() override;
    // Play stands disabled too.
    void showNoSelection() override;
    int currentRow() const;
    // What the melody list shows for a row: "n text" of its naming string, or its own text.
    QString melodyShownText(int row) const;
    // The file box and the name button sit beside the focused row while it is wholly in view.
    void placeMelodyRowControls();
    // The strings that name melodies changed: the rows show them anew.
    void namesChanged();
    void importIntoSelected() override;
    void exportSelected() override;
    // The file box and the name button follow the row now focused.
    void rowsDeleted(const std::vector<int>& rows) override;
    void playClicked();

    QListView* melodyList = nullptr;
    QLabel *melodyCaption = nullptr, *byteSizeLabel = nullptr;
    QToolButton *importButton = nullptr, *exportButton = nullptr, *playButton = nullptr;
    FileNameEdit* melodyFileEdit = nullptr;
    QPushButton* melodyNameButton = nullptr;
    NameChooser* melodyNameChooser = nullptr;

signals:
    void importRequested();
    void exportRequested();
    // A double click on a melody named by a string asks for that string in its own mode.
    void namingStringRequested(int stringRow);

private:
    void buildButtons();
    void buildFileEdit();
    void buildNameChooser();
    void selectMelody(int row);
    void melodyListDoubleClicked();
    void chooseMelodyName();
    void melodyNameChosen(int index);
    void importMelodyFile(int row, const QString& path);
    QString melodyFilter() const;
    QString exportPath(int row) const;

    PanelContext context_;
    Workspace& ws_;
    DialogService& dialogs_;
    const Settings& settings_;
    CheckListModel* melodyModel_;
    const CheckListModel* stringModel_;
};

}  // namespace qv
