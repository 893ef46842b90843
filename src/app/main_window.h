#pragma once
// MainWindow: the skinned main window. It owns the workspace, the phone link and its worker;
// it holds the title bar, the toolbar, the mode bar and the flows that open and save files and
// start phone tasks, and shows the panel of the mode in front (picture_panel.h and the others).
#include "app/dialog_service.h"
#include "app/mode_panel.h"
#include "editors/thumbnail_store.h"
#include "files/settings.h"
#include "files/workspace.h"
#include "session/phone_session.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>

class QLabel;
class QPushButton;
class QToolButton;
class QFrame;
class QKeyEvent;

namespace qv {

class TitleBar;
class ListBatchActions;

enum class Mode : uint8_t { Images = 0, Melodies = 1, Operators = 2, LangPack = 4, Restore = 5 };

struct MainWindowOptions {
    QString loaderPath;       // empty: loader.bin beside the program
    QString settingsPath;     // empty: setting.ini beside the program
    DialogService* dialogs = nullptr;  // null: real dialogs
    QString exportFolder;     // empty: the program's folder (melodies for the player, folder exports)
    int keypadWaitMs = 4000;
};

class MainWindow final : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(const MainWindowOptions& options = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The open flow (openButton), with a file already chosen when `chosen` is given (a file
    // named on the command line).
    void openClicked();
    void openServiceFile(const QString& chosen);
    void saveClicked();
    void flashClicked();
    void applyPatchClicked();
    void infoClicked();
    void settingsClicked();

    // The mode buttons: the mode's panel to the front. A list mode whose list is empty keeps
    // the list mode before it in view.
    void switchMode(Mode mode);
    void showImages() { switchMode(Mode::Images); }
    void showMelodies() { switchMode(Mode::Melodies); }
    void showOperators() { switchMode(Mode::Operators); }
    void showLangPack() { switchMode(Mode::LangPack); }
    void showRestore() { switchMode(Mode::Restore); }

    // Import and Export of the mode in front: its list's selected picture or melody.
    void importClicked();
    void exportClicked();

    Workspace& workspace() { return ws_; }
    Mode mode() const { return mode_; }
    Settings& settings() { return settings_; }
    ThumbnailStore& thumbnails() { return thumbnails_; }
    // For tests and scripts: the last progress dialog's final bar text.
    QString lastTaskText() const { return lastTaskText_; }
    ResultCode lastTaskResult() const { return lastTaskResult_.code(); }
    // Tints the background again from the last capture (after the display options changed).
    void rebuildBackground();
    // Reads the screen under the window where it stands now and tints it: the window steps
    // out of the way while the screen is read. Runs on every activation and after the window
    // manager placed or moved the window.
    void recaptureBackground();
    // After the window moved by `offset` (new place minus old): what it covered before comes
    // from the last capture, the rest from `screenNow` (the screen at the new place, read
    // before the window got there; null: not readable).
    void composeBackgroundAfterMove(QPoint offset, const QImage& screenNow);
    // Whether the screen under the window can be read here (an X server without a compositor).
    bool seesThrough() const { return seeThrough_; }
    QImage backgroundImage() const { return background_; }

    // The panels of the modes, one in front at a time.
    ModePanel& panel(Mode mode) const;
    // The panel of that type (tests reach its controls here).
    template <typename Panel>
    Panel* panel() const {
        for (const ModeSlot& m : modes_)
            if (auto* p = qobject_cast<Panel*>(m.panel)) return p;
        return nullptr;
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct ModeSlot {
        Mode mode;
        QPushButton* button;
        ModePanel* panel;
    };

    void buildControls();
    void buildTitleBar();
    void buildToolBar();
    void buildModeBar();
    void buildPanels();
    void buildLinks();
    void resetWorkspaceView();
    void hideModePanels();
    void setMode(Mode mode);
    void showMode();
    bool explainEmptyMode(const char* action);
    void dragOutlineReleased(QPoint oldPos, QPoint newPos);
    void watchAltKey(QObject* watched, QEvent* event);
    bool loadPass(int pass, const QString& chosen);
    void fillLists();
    // One list shown anew after a whole-list import.
    void refreshList(ListKind kind);
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool listKey(ModePanel& panel, const PanelList& list, QKeyEvent* key);
    void deleteTickedRows(ModePanel& panel, const PanelList& list);
    // The panel whose list is of `kind`.
    ModePanel& panelOf(ListKind kind) const;
    QString exportFolder() const;
    // Shows the progress box while the session runs the transfer that `start` starts.
    Result runPhoneTask(uint32_t baud, const std::function<void(const TaskStartSettings&)>& start);
    void applyTextColour();
    void pumpEvents(int ms);
    DialogService& dialogs();

    MainWindowOptions options_;
    std::unique_ptr<DialogService> ownDialogs_;
    Settings settings_;
    Workspace ws_;
    PhoneSession phone_;
    ThumbnailStore thumbnails_;
    ListBatchActions* batchActions_ = nullptr;  // the lists' right-click batches
    Mode mode_ = Mode::Images;
    QString lastTaskText_;
    Result lastTaskResult_;

    QImage captured_;    // the screen under the window at the last capture (null: not read)
    QRect capturedAt_;   // where on the screen it was read
    QImage background_;  // its tinted copy (or the plain fill), painted behind the controls
    bool seeThrough_ = false;
    bool capturing_ = false;
    bool altAlone_ = false;  // Alt is down and nothing else was pressed since
    QTimer* placeSettle_ = nullptr;

    TitleBar* titleBar_ = nullptr;
    QLabel* fileNameLabel = nullptr;
    QToolButton *openButton = nullptr, *saveButton = nullptr, *flash = nullptr, *info = nullptr, *setting = nullptr;
    QFrame* modeBar = nullptr;
    // In the order of the mode bar; the panels are made after the buttons.
    std::array<ModeSlot, 5> modes_{};
    QLabel* aboutLink = nullptr;  // the about link
    QLabel* webLink = nullptr;  // the web link
};

}  // namespace qv
