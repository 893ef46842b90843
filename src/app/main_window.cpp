#include "app/main_window.h"

#include "app/list_batch_actions.h"
#include "files/file_places.h"

#include "app/about_dialog.h"
#include "app/check_list_model.h"
#include "app/display_options_dialog.h"
#include "app/editor_widgets.h"
#include "app/language_tags.h"
#include "app/melody_panel.h"
#include "app/operator_panel.h"
#include "app/picture_panel.h"
#include "app/progress_dialog.h"
#include "app/qt_dialog_service.h"
#include "app/restore_panel.h"
#include "app/skin.h"
#include "app/string_panel.h"
#include "app/title_bar.h"
#include "base/language_table.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QToolButton>

namespace qv {

namespace {

constexpr int kClientWidth = 569;
constexpr int kClientHeight = 456;

}  // namespace

MainWindow::MainWindow(const MainWindowOptions& options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), options_(options) {
    setObjectName("MainWindow");
    languageTable().load(FilePlaces::current().languageFolder());
    if (options_.settingsPath.isEmpty()) options_.settingsPath = Settings::defaultPath();
    if (!options_.dialogs) ownDialogs_ = std::make_unique<QtDialogService>(this, options_.settingsPath);
    setFixedSize(kClientWidth, kClientHeight);
    setWindowTitle(langText(Text::ProgramName));
    settings_ = Settings::load(options_.settingsPath);
    // The window opens where it asks to be (the middle of the screen), so that the screen
    // beneath it can be read before it shows; the window manager may still place it
    // elsewhere, and the background follows it there.
    seeThrough_ = screenCanBeRead();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - kClientWidth) / 2, area.y() + (area.height() - kClientHeight) / 2);
    }
    placeSettle_ = new QTimer(this);
    placeSettle_->setSingleShot(true);
    placeSettle_->setInterval(150);
    connect(placeSettle_, &QTimer::timeout, this, &MainWindow::recaptureBackground);
    buildControls();
    resetWorkspaceView();
    qApp->installEventFilter(this);  // the Alt key alone opens the window menu, whatever has the focus
    phone_.setPortSetting([this] { return settings_.port; });
}

MainWindow::~MainWindow() { qApp->removeEventFilter(this); }

DialogService& MainWindow::dialogs() { return options_.dialogs ? *options_.dialogs : *ownDialogs_; }

void MainWindow::buildControls() {
    buildTitleBar();
    buildToolBar();
    buildModeBar();
    buildPanels();
    buildLinks();
}

void MainWindow::buildTitleBar() {
    titleBar_ = new TitleBar(this);
    titleBar_->setTitle(langText(Text::ProgramName));
    titleBar_->setGeometry(0, 0, kClientWidth, 25);
    connect(titleBar_, &TitleBar::closeClicked, this, &QWidget::close);
    connect(titleBar_, &TitleBar::minimiseClicked, this, &QWidget::showMinimized);
    connect(titleBar_, &TitleBar::optionsClicked, this, [this] {
        DisplayOptionsDialog dialog(settings_, options_.settingsPath, this);
        dialog.exec();
        rebuildBackground();
    });
    // Where the screen can be read the title bar drags an outline and the window moves on
    // release, so that the screen at the new place is read before the window covers it.
    titleBar_->setOutlineDrag(seeThrough_);
    connect(titleBar_, &TitleBar::outlineReleased, this, &MainWindow::dragOutlineReleased);
    connect(titleBar_, &TitleBar::dragFinished, this, [this](QPoint oldPos, QPoint newPos) {
        if (seeThrough_)
            recaptureBackground();
        else
            composeBackgroundAfterMove(newPos - oldPos, QImage());
    });
}

void MainWindow::buildToolBar() {
    openButton = toolButton(this, "openButton", QStyle::SP_DialogOpenButton, Text::OpenServiceFile);
    saveButton = toolButton(this, "saveButton", QStyle::SP_DialogSaveButton, Text::SaveServiceFile);
    flash = toolButton(this, "flash", QStyle::SP_ArrowUp, Text::Flash);
    info = toolButton(this, "info", QStyle::SP_MessageBoxInformation, Text::Information);
    setting = toolButton(this, "setting", QStyle::SP_FileDialogDetailedView, Text::Settings);
    int x = 10;
    for (QToolButton* b : {openButton, saveButton, flash, info, setting}) {
        b->move(x, 32);
        x += 38;
    }
    connect(openButton, &QToolButton::clicked, this, &MainWindow::openClicked);
    connect(saveButton, &QToolButton::clicked, this, &MainWindow::saveClicked);
    connect(flash, &QToolButton::clicked, this, &MainWindow::flashClicked);
    connect(info, &QToolButton::clicked, this, &MainWindow::infoClicked);
    connect(setting, &QToolButton::clicked, this, &MainWindow::settingsClicked);

    fileNameLabel = infoLabel(this, "fileNameLabel", QRect(330, 36, 230, 22));
    QFont bold = fileNameLabel->font();
    bold.setBold(true);
    fileNameLabel->setFont(bold);
}

void MainWindow::buildModeBar() {
    modeBar = new QFrame(this);
    modeBar->setObjectName("modeBar");
    modeBar->setGeometry(10, 64, 549, 24);
    // The mode buttons keep a plate of their own, so their captions read on any background
    // (a mode that cannot be chosen yet is greyed, not faded away), and the mode in front
    // stays pressed.
    modeBar->setStyleSheet(QStringLiteral(
        "QPushButton { color: #102060; background: #e8ecf4; border: 1px solid #30589b; border-radius: 3px; }"
        "QPushButton:hover { background: #ffffff; }"
        "QPushButton:checked { color: #ffffff; background: #3058b8; border-color: #102060; font-weight: bold; }"
        "QPushButton:disabled { color: #4a4a4a; background: #d0d0d0; border-color: #8a8a8a; }"));
    struct ModeButton {
        Mode mode;
        const char* name;
        TextKey caption;
    };
    static constexpr ModeButton kButtons[] = {{Mode::Images, "imagesButton", Text::Images},
                                              {Mode::Melodies, "melodiesButton", Text::Melodies},
                                              {Mode::Operators, "operatorsButton", Text::Operators},
                                              {Mode::LangPack, "langPackButton", Text::LangPack},
                                              {Mode::Restore, "restoreButton", Text::Restore}};
    static_assert(std::size(kButtons) == std::tuple_size_v<decltype(modes_)>);
    for (size_t index = 0; index < modes_.size(); ++index) {
        const ModeButton& m = kButtons[index];
        auto* b = new QPushButton(modeBar);
        b->setObjectName(m.name);
        setLanguageTag(b, captionTag(m.caption));
        b->setGeometry(int(index) * 110, 0, 106, 24);
        b->setCheckable(true);
        connect(b, &QPushButton::clicked, this, [this, mode = m.mode] { switchMode(mode); });
        modes_[index] = ModeSlot{m.mode, b, nullptr};
    }
}

void MainWindow::buildPanels() {
    auto* pictureModel = new CheckListModel(this);
    auto* melodyModel = new CheckListModel(this);
    auto* operatorModel = new CheckListModel(this);
    auto* stringModel = new CheckListModel(this);
    // The lists' keys reach eventFilter through the application-wide filter installed at creation.
    batchActions_ = new ListBatchActions(this, ws_, dialogs(),
                                         {[this](ListKind kind) { refreshList(kind); }, [this] { return exportFolder(); }});
    const PanelContext context{ws_, dialogs(), *batchActions_, [this] { return exportFolder(); }};
    auto* pictures = new PicturePanel(context, pictureModel, thumbnails_, this);
    auto* melodies = new MelodyPanel(context, settings_, melodyModel, stringModel, this);
    auto* operators = new OperatorPanel(context, operatorModel, this);
    auto* strings = new StringPanel(context, stringModel, this);
    auto* restore = new RestorePanel(this);
    const std::pair<Mode, ModePanel*> panels[] = {{Mode::Images, pictures},      {Mode::Melodies, melodies},
                                                  {Mode::Operators, operators}, {Mode::LangPack, strings},
                                                  {Mode::Restore, restore}};
    for (const auto& [mode, p] : panels)
        for (ModeSlot& m : modes_)
            if (m.mode == mode) m.panel = p;
    connect(pictures, &PicturePanel::importRequested, this, &MainWindow::importClicked);
    connect(pictures, &PicturePanel::exportRequested, this, &MainWindow::exportClicked);
    connect(pictures, &PicturePanel::filled, this, [this] { setMode(Mode::Images); });
    connect(melodies, &MelodyPanel::importRequested, this, &MainWindow::importClicked);
    connect(melodies, &MelodyPanel::exportRequested, this, &MainWindow::exportClicked);
    // A melody's naming string asked for: the strings in front with it selected.
    connect(melodies, &MelodyPanel::namingStringRequested, this, [this, strings](int stringRow) {
        strings->selectRow(stringRow);
        showLangPack();
    });
    connect(strings, &StringPanel::stringApplied, melodies, &MelodyPanel::namesChanged);
    connect(restore, &RestorePanel::applyPatchRequested, this, &MainWindow::applyPatchClicked);
}

void MainWindow::buildLinks() {
    aboutLink = infoLabel(this, "aboutLink", QRect(10, 436, 120, 16));
    aboutLink->setText(QStringLiteral("<a href=\"#\">About...</a>"));
    setLanguageTag(aboutLink, hintTag(Text::AboutThisProgram));
    connect(aboutLink, &QLabel::linkActivated, this, [this] { AboutDialog(this).exec(); });
    webLink = infoLabel(this, "webLink", QRect(132, 436, 140, 16));
    webLink->setText(QStringLiteral("<a href=\"https://quorvanta.example.org/\">quorvanta.example.org</a>"));
    webLink->setOpenExternalLinks(true);
    setLanguageTag(webLink, hintTag(Text::QuorvantaOnTheWeb));
    // As wide as its text (it ends before the scale boxes at x 276).
    webLink->resize(std::min(webLink->sizeHint().width() + 2, 276 - 4 - webLink->x()), webLink->height());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    phone_.markIdle();
    thumbnails_.clear();
    ws_.close();
    settings_.save(options_.settingsPath);
    event->accept();
}

void MainWindow::pumpEvents(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

// ---- Workspace view and modes ---------------------------------------------------------

ModePanel& MainWindow::panel(Mode mode) const {
    for (const ModeSlot& m : modes_)
        if (m.mode == mode) return *m.panel;
    return *modes_.front().panel;  // every mode has its slot
}

void MainWindow::resetWorkspaceView() {
    fileNameLabel->clear();
    saveButton->hide();
    for (const ModeSlot& m : modes_) m.panel->hide();
    for (const ModeSlot& m : modes_) m.panel->clear();
    thumbnails_.clear();
    flash->setEnabled(false);
    // Restore needs no service file; the list modes wait for one with its data.
    for (const ModeSlot& m : modes_)
        if (m.panel->needsServiceFile()) m.button->setEnabled(ws_.hasDataFile());
    info->setEnabled(true);
    showMode();
}

void MainWindow::setMode(Mode mode) {
    mode_ = mode;
    showMode();
}

// The button of the mode in front stays pressed (a click on a button whose mode did not
// change, or on the pressed one, leaves it so).
void MainWindow::showMode() {
    const bool open = ws_.hasDataFile();
    for (const ModeSlot& m : modes_) m.button->setChecked(mode_ == m.mode && (open || !m.panel->needsServiceFile()));
}

// Import or Export pressed in a mode whose list is empty (its controls are those of the mode
// before): says so. Returns false when the mode's list has rows.
bool MainWindow::explainEmptyMode(const char* action) {
    const ModePanel& front = panel(mode_);
    if (!front.listIsEmpty()) return false;
    dialogs().showMessage(QStringLiteral("The %1 list is empty: there is nothing to %2.")
                              .arg(QLatin1String(front.list()->noun), QLatin1String(action)),
                          langText(Text::ProgramName));
    return true;
}

void MainWindow::importClicked() {
    if (!explainEmptyMode("import")) panel(mode_).importIntoSelected();
}

void MainWindow::exportClicked() {
    if (!explainEmptyMode("export")) panel(mode_).exportSelected();
}

QString MainWindow::exportFolder() const {
    return options_.exportFolder.isEmpty() ? FilePlaces::current().exportFolder() : options_.exportFolder;
}

void MainWindow::hideModePanels() {
    for (QWidget* w : {openButton, saveButton, flash}) w->hide();
    for (const ModeSlot& m : modes_) m.panel->hide();
}

void MainWindow::switchMode(Mode mode) {
    ModePanel& front = panel(mode);
    if (!front.opens()) {
        showMode();
        return;
    }
    setMode(mode);
    openButton->show();
    if (front.listIsEmpty()) {
        // The list panel before stays in view (its commands answer for the empty mode, see
        // explainEmptyMode); a panel without a list goes.
        for (const ModeSlot& m : modes_)
            if (!m.panel->list()) m.panel->hide();
        return;
    }
    hideModePanels();
    openButton->show();
    if (front.needsServiceFile()) {
        saveButton->show();
        flash->show();
    }
    front.enter();
}

// ---- Lists -----------------------------------------------------------------------------

void MainWindow::fillLists() {
    ProgressDialog progress([this] { phone_.cancel(); }, [this] { phone_.markIdle(); }, this);
    progress.hideCancelArea();
    progress.show();
    for (const ModeSlot& m : modes_) {
        m.panel->fill(progress);
        QApplication::processEvents();
    }
}

void MainWindow::refreshList(ListKind kind) {
    ProgressDialog progress([this] { phone_.cancel(); }, [this] { phone_.markIdle(); }, this);
    progress.hideCancelArea();
    progress.show();
    panelOf(kind).fill(progress);
}

}  // namespace qv
