#include "app/main_window.h"

#include "app/list_batch_actions.h"
#include "files/file_places.h"

#include "app/about_dialog.h"
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
    auto modeButton = [&](const char* name, TextKey caption, int index) {
        auto* b = new QPushButton(modeBar);
        b->setObjectName(name);
        setLanguageTag(b, captionTag(caption));
        b->setGeometry(index * 110, 0, 106, 24);
        b->setCheckable(true);
        return b;
    };
    imagesButton = modeButton("imagesButton", Text::Images, 0);
    melodiesButton = modeButton("melodiesButton", Text::Melodies, 1);
    operatorsButton = modeButton("operatorsButton", Text::Operators, 2);
    langPackButton = modeButton("langPackButton", Text::LangPack, 3);
    restoreButton = modeButton("restoreButton", Text::Restore, 4);
    connect(imagesButton, &QPushButton::clicked, this, &MainWindow::showImages);
    connect(melodiesButton, &QPushButton::clicked, this, &MainWindow::showMelodies);
    connect(operatorsButton, &QPushButton::clicked, this, &MainWindow::showOperators);
    connect(langPackButton, &QPushButton::clicked, this, &MainWindow::showLangPack);
    connect(restoreButton, &QPushButton::clicked, this, &MainWindow::showRestore);
}

void MainWindow::buildPanels() {
    pictureModel_ = new CheckListModel(this);
    melodyModel_ = new CheckListModel(this);
    operatorModel_ = new CheckListModel(this);
    stringModel_ = new CheckListModel(this);
    // The lists' keys reach eventFilter through the application-wide filter installed at creation.
    batchActions_ = new ListBatchActions(this, ws_, dialogs(),
                                         {[this](ListKind kind) { refreshList(kind); }, [this] { return exportFolder(); }});
    const PanelContext context{ws_, dialogs(), *batchActions_, [this] { return exportFolder(); }};
    picturePanel = new PicturePanel(context, pictureModel_, thumbnails_, this);
    melodyPanel = new MelodyPanel(context, settings_, melodyModel_, stringModel_, this);
    operatorPanel = new OperatorPanel(context, operatorModel_, this);
    stringPanel = new StringPanel(context, stringModel_, this);
    restorePanel = new RestorePanel(this);
    connect(picturePanel, &PicturePanel::importRequested, this, &MainWindow::importClicked);
    connect(picturePanel, &PicturePanel::exportRequested, this, &MainWindow::exportClicked);
    connect(melodyPanel, &MelodyPanel::importRequested, this, &MainWindow::importClicked);
    connect(melodyPanel, &MelodyPanel::exportRequested, this, &MainWindow::exportClicked);
    connect(melodyPanel, &MelodyPanel::namingStringRequested, this, &MainWindow::showNamingString);
    connect(stringPanel, &StringPanel::stringApplied, melodyPanel, &MelodyPanel::namesChanged);
    connect(restorePanel, &RestorePanel::applyPatchRequested, this, &MainWindow::applyPatchClicked);
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

void MainWindow::resetWorkspaceView() {
    fileNameLabel->clear();
    saveButton->hide();
    for (QWidget* panel : std::initializer_list<QWidget*>{picturePanel, melodyPanel, operatorPanel, stringPanel, restorePanel})
        panel->hide();
    pictureModel_->clear();
    melodyModel_->clear();
    operatorModel_->clear();
    stringModel_->clear();
    thumbnails_.clear();
    picturePanel->forgetPicture();
    flash->setEnabled(false);
    // Restore needs no service file; the list modes wait for one with its data.
    for (QPushButton* b : {imagesButton, melodiesButton, operatorsButton, langPackButton})
        b->setEnabled(ws_.hasDataFile());
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
    imagesButton->setChecked(open && mode_ == Mode::Images);
    melodiesButton->setChecked(open && mode_ == Mode::Melodies);
    operatorsButton->setChecked(open && mode_ == Mode::Operators);
    langPackButton->setChecked(open && mode_ == Mode::LangPack);
    restoreButton->setChecked(mode_ == Mode::Restore);
}

// A list left with no rows: nothing is selected, so nothing describes an item and the
// commands that need one stand disabled until a row is selected again.
void MainWindow::showNoSelection(ListKind kind) {
    switch (kind) {
    case ListKind::Pictures: picturePanel->showNoSelection(); break;
    case ListKind::Melodies: melodyPanel->showNoSelection(); break;
    case ListKind::Operators: operatorPanel->showNoSelection(); break;
    case ListKind::Strings: stringPanel->showNoSelection(); break;
    }
}

// Import or Export pressed in a mode whose list is empty (its controls are those of the mode
// before): says so. Returns false when the mode's list has rows.
bool MainWindow::explainEmptyMode(const char* action) {
    const char* list = nullptr;
    CheckListModel* model = nullptr;
    switch (mode_) {
    case Mode::Images: list = "picture", model = pictureModel_; break;
    case Mode::Melodies: list = "melody", model = melodyModel_; break;
    case Mode::Operators: list = "operator", model = operatorModel_; break;
    case Mode::LangPack: list = "string", model = stringModel_; break;
    case Mode::Restore: return false;
    }
    if (model->rowCount() > 0) return false;
    dialogs().showMessage(QStringLiteral("The %1 list is empty: there is nothing to %2.")
                              .arg(QLatin1String(list), QLatin1String(action)),
                          langText(Text::ProgramName));
    return true;
}

void MainWindow::importClicked() {
    if (explainEmptyMode("import")) return;
    if (mode_ == Mode::Images)
        picturePanel->importIntoSelected();
    else if (mode_ == Mode::Melodies)
        melodyPanel->importIntoSelected();
}

void MainWindow::exportClicked() {
    if (explainEmptyMode("export")) return;
    if (mode_ == Mode::Images)
        picturePanel->exportSelected();
    else if (mode_ == Mode::Melodies)
        melodyPanel->exportSelected();
}

QString MainWindow::exportFolder() const {
    return options_.exportFolder.isEmpty() ? FilePlaces::current().exportFolder() : options_.exportFolder;
}

void MainWindow::hideModePanels() {
    for (QWidget* w : std::initializer_list<QWidget*>{openButton, saveButton, flash, picturePanel, melodyPanel,
                                                      operatorPanel, stringPanel, restorePanel})
        w->hide();
}

void MainWindow::showControls(std::initializer_list<QWidget*> controls) {
    for (QWidget* w : controls) w->show();
}

void MainWindow::showImages() {
    setMode(Mode::Images);
    openButton->show();
    restorePanel->hide();
    if (pictureModel_->rowCount() == 0) return;
    hideModePanels();
    showControls({openButton, saveButton, flash});
    picturePanel->enter();
}

void MainWindow::showMelodies() {
    setMode(Mode::Melodies);
    openButton->show();
    restorePanel->hide();
    if (melodyModel_->rowCount() == 0) return;
    hideModePanels();
    showControls({openButton, flash, saveButton});
    melodyPanel->enter();
}

void MainWindow::showOperators() {
    setMode(Mode::Operators);
    openButton->show();
    restorePanel->hide();
    if (operatorModel_->rowCount() == 0) return;
    hideModePanels();
    showControls({openButton, flash, saveButton});
    operatorPanel->enter();
}

void MainWindow::showLangPack() {
    if (ws_.image().isReversedOrderModel()) {  // strings stay closed on these models
        showMode();
        return;
    }
    openButton->show();
    restorePanel->hide();
    setMode(Mode::LangPack);
    if (stringModel_->rowCount() == 0) return;
    hideModePanels();
    showControls({openButton, flash, saveButton});
    stringPanel->enter();
}

void MainWindow::showRestore() {
    setMode(Mode::Restore);
    hideModePanels();
    showControls({restorePanel, openButton});
}

void MainWindow::showNamingString(int stringRow) {
    stringPanel->stringList->setCurrentIndex(stringModel_->index(stringRow));
    showLangPack();
}

// ---- Lists -----------------------------------------------------------------------------

void MainWindow::fillLists() {
    ProgressDialog progress([this] { phone_.cancel(); }, [this] { phone_.markIdle(); }, this);
    progress.hideCancelArea();
    progress.show();
    picturePanel->fill(progress);
    setMode(Mode::Images);
    QApplication::processEvents();
    melodyPanel->fill();
    operatorPanel->fill();
    QApplication::processEvents();
    stringPanel->fill(progress);
    QApplication::processEvents();
}

void MainWindow::refreshList(ListKind kind) {
    ProgressDialog progress([this] { phone_.cancel(); }, [this] { phone_.markIdle(); }, this);
    progress.hideCancelArea();
    progress.show();
    switch (kind) {
    case ListKind::Pictures:
        picturePanel->fill(progress);
        setMode(Mode::Images);
        break;
    case ListKind::Melodies: melodyPanel->fill(); break;
    case ListKind::Operators: operatorPanel->fill(); break;
    case ListKind::Strings: stringPanel->fill(progress); break;
    }
}

}  // namespace qv
