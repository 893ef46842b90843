#include "app/main_window.h"

#include "app/list_batch_actions.h"
#include "files/file_places.h"

#include "app/about_dialog.h"
#include "app/display_options_dialog.h"
#include "app/editor_widgets.h"
#include "app/file_name_edit.h"
#include "app/language_tags.h"
#include "app/progress_dialog.h"
#include "app/qt_dialog_service.h"
#include "app/skin.h"
#include "app/title_bar.h"
#include "base/cp1251.h"
#include "base/language_table.h"
#include "base/program_dir.h"
#include "editors/item_views.h"
#include "editors/list_texts.h"
#include "editors/parallel_for.h"
#include "editors/picture_codec.h"
#include "editors/thumbnail.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QThread>
#include <QTimer>
#include <QToolButton>

namespace qv {

namespace {

constexpr int kClientWidth = 569;
constexpr int kClientHeight = 456;

// The picture list: 72-pixel rows with the thumbnail and the size text.
class PictureRowDelegate final : public QStyledItemDelegate {
public:
    PictureRowDelegate(ThumbnailStore& thumbs, QObject* parent) : QStyledItemDelegate(parent), thumbs_(thumbs) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), 72};
    }
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        p->fillRect(option.rect, selected ? QColor(0, 0, 160) : option.palette.base().color());
        const QRect box(option.rect.left() + 22, option.rect.top() + 12, 48, 48);
        thumbs_.draw(*p, box.left(), box.top(), index.row());
        QStyleOptionButton check;
        check.rect = tickBox(option.rect);
        check.state = QStyle::State_Enabled |
                      (index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
        QApplication::style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &check, p);
        p->setPen(selected ? Qt::white : option.palette.text().color());
        p->drawText(QRect(box.right() + 10, option.rect.top(), option.rect.width() - 90, 72), Qt::AlignVCenter,
                    index.data().toString());
    }

    // The row's own tick box takes the click: a left click on it ticks or unticks the row once
    // (the press and a double click are swallowed so the list does not act on them too), and
    // Space on the focused row does the same.
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        if (!(index.flags() & Qt::ItemIsUserCheckable) || !(index.flags() & Qt::ItemIsEnabled)) return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton || !tickBox(option.rect).contains(mouse->position().toPoint()))
                return false;
            if (event->type() != QEvent::MouseButtonRelease) return true;
            break;
        }
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Space && key != Qt::Key_Select) return false;
            break;
        }
        default:
            return false;
        }
        const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        return model->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }

private:
    static QRect tickBox(const QRect& row) { return {row.left() + 3, row.top() + 28, 16, 16}; }

    ThumbnailStore& thumbs_;
};

QListView* checkList(QWidget* parent, const char* name, CheckListModel* model) {
    auto* v = new QListView(parent);
    v->setObjectName(name);
    v->setModel(model);
    v->setUniformItemSizes(true);
    v->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v->setGeometry(10, 92, 250, 340);
    v->hide();
    return v;
}

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
    phone_.at.portSetting = [this] { return settings_.port; };
}

MainWindow::~MainWindow() { qApp->removeEventFilter(this); }

DialogService& MainWindow::dialogs() { return options_.dialogs ? *options_.dialogs : *ownDialogs_; }

void MainWindow::buildControls() {
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

    openButton = toolButton(this, "openButton", QStyle::SP_DialogOpenButton, 8802);
    saveButton = toolButton(this, "saveButton", QStyle::SP_DialogSaveButton, 8806);
    flash = toolButton(this, "flash", QStyle::SP_ArrowUp, 8811);
    info = toolButton(this, "info", QStyle::SP_MessageBoxInformation, 8813);
    setting = toolButton(this, "setting", QStyle::SP_FileDialogDetailedView, 8814);
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
    auto modeButton = [&](const char* name, int tag, int index) {
        auto* b = new QPushButton(modeBar);
        b->setObjectName(name);
        setLanguageTag(b, tag);
        b->setGeometry(index * 110, 0, 106, 24);
        b->setCheckable(true);
        return b;
    };
    imagesButton = modeButton("imagesButton", 8030, 0);
    melodiesButton = modeButton("melodiesButton", 8031, 1);
    operatorsButton = modeButton("operatorsButton", 8032, 2);
    langPackButton = modeButton("langPackButton", 8049, 3);
    restoreButton = modeButton("restoreButton", 8050, 4);
    connect(imagesButton, &QPushButton::clicked, this, &MainWindow::showImages);
    connect(melodiesButton, &QPushButton::clicked, this, &MainWindow::showMelodies);
    connect(operatorsButton, &QPushButton::clicked, this, &MainWindow::showOperators);
    connect(langPackButton, &QPushButton::clicked, this, &MainWindow::showLangPack);
    connect(restoreButton, &QPushButton::clicked, this, &MainWindow::showRestore);

    pictureModel_ = new CheckListModel(this);
    melodyModel_ = new CheckListModel(this);
    operatorModel_ = new CheckListModel(this);
    stringModel_ = new CheckListModel(this);
    pictureList = checkList(this, "pictureList", pictureModel_);
    pictureList->setItemDelegate(new PictureRowDelegate(thumbnails_, pictureList));
    melodyList = checkList(this, "melodyList", melodyModel_);
    operatorList = checkList(this, "operatorList", operatorModel_);
    stringList = checkList(this, "stringList", stringModel_);
    auto onCurrent = [this](QListView* v, void (MainWindow::*select)(int)) {
        connect(v->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this, select](const QModelIndex& i) { if (i.isValid()) (this->*select)(i.row()); });
    };
    onCurrent(pictureList, &MainWindow::selectPicture);
    onCurrent(melodyList, &MainWindow::selectMelody);
    onCurrent(operatorList, &MainWindow::selectOperator);
    onCurrent(stringList, &MainWindow::selectString);

    pictureSizeLabel = infoLabel(this, "pictureSizeLabel", QRect(276, 388, 80, 18));
    scaledSizeLabel = infoLabel(this, "scaledSizeLabel", QRect(356, 388, 100, 18));
    colourDepthLabel = infoLabel(this, "colourDepthLabel", QRect(470, 388, 90, 18));
    byteSizeLabel = infoLabel(this, "byteSizeLabel", QRect(276, 408, 140, 18));
    itemSizeLabel = infoLabel(this, "itemSizeLabel", QRect(420, 412, 140, 18));
    itemOffsetLabel = infoLabel(this, "itemOffsetLabel", QRect(276, 432, 280, 18));
    Label2 = infoLabel(this, "Label2", QRect(276, 372, 1, 1));
    Label4 = infoLabel(this, "Label4", QRect(276, 372, 1, 1));
    buildPictureEditor();
    buildMelodyEditor();
    buildOperatorEditor();
    buildStringEditor();
    // The lists' keys reach eventFilter through the application-wide filter installed at creation.
    batchActions_ = new ListBatchActions(this, ws_, dialogs(),
                                         {[this](ListKind kind) { refreshList(kind); }, [this] { return exportFolder(); }});
    batchActions_->attach(pictureList, ListKind::Pictures);
    batchActions_->attach(melodyList, ListKind::Melodies);
    batchActions_->attach(stringList, ListKind::Strings);

    restoreCaption = infoLabel(this, "restoreCaption", QRect(20, 110, 300, 20));
    setLanguageTag(restoreCaption, 8043);
    restoreFileEdit = new FileNameEdit(this);
    restoreFileEdit->setObjectName("restoreFileEdit");
    restoreFileEdit->setGeometry(20, 134, 420, 26);
    restoreFileEdit->setFilter(QStringLiteral("Patch files|*.flp"));
    setLanguageTag(restoreFileEdit, 9144);
    applyPatchButton = toolButton(this, "applyPatchButton", QStyle::SP_DialogApplyButton, 8810);
    applyPatchButton->move(450, 132);
    connect(applyPatchButton, &QToolButton::clicked, this, &MainWindow::applyPatchClicked);

    aboutLink = infoLabel(this, "aboutLink", QRect(10, 436, 120, 16));
    aboutLink->setText(QStringLiteral("<a href=\"#\">About...</a>"));
    setLanguageTag(aboutLink, 8820);
    connect(aboutLink, &QLabel::linkActivated, this, [this] { AboutDialog(this).exec(); });
    webLink = infoLabel(this, "webLink", QRect(132, 436, 140, 16));
    webLink->setText(QStringLiteral("<a href=\"https://quorvanta.example.org/\">quorvanta.example.org</a>"));
    webLink->setOpenExternalLinks(true);
    setLanguageTag(webLink, 8805);
    // As wide as its text (it ends before the scale boxes at x 276).
    webLink->resize(std::min(webLink->sizeHint().width() + 2, 276 - 4 - webLink->x()), webLink->height());
}

void MainWindow::showEvent(QShowEvent* event) {
    applyLanguage(this);
    applyTextColour();
    // The first show comes before the window is on the screen: what lies where it will
    // appear can be read as it is.
    if (seeThrough_ && captured_.isNull() && !event->spontaneous()) {
        capturedAt_ = geometry();
        captured_ = captureScreenUnder(capturedAt_);
    }
    rebuildBackground();
    QWidget::showEvent(event);
}

bool MainWindow::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::WindowActivate:
        if (seeThrough_) QTimer::singleShot(0, this, &MainWindow::recaptureBackground);
        break;
    case QEvent::WindowDeactivate:
        altAlone_ = false;
        break;
    case QEvent::Move:
        // Placed or moved by the window manager (not by our own drag, which brings its
        // background along): read the screen at the new place once the window rests.
        if (seeThrough_ && isVisible() && !capturing_ && geometry() != capturedAt_) placeSettle_->start();
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

// The Alt key pressed and let go with nothing in between opens the window menu at the
// window's corner + (10, 10), whichever control has the focus.
void MainWindow::watchAltKey(QObject* watched, QEvent* event) {
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        altAlone_ = key->key() == Qt::Key_Alt && !key->isAutoRepeat() &&
                    !(key->modifiers() & ~(Qt::AltModifier | Qt::KeypadModifier));
        break;
    }
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Alt && altAlone_ && !key->isAutoRepeat()) {
            altAlone_ = false;
            titleBar_->popupWindowMenu(mapToGlobal(QPoint(10, 10)));
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        altAlone_ = false;
        break;
    default:
        break;
    }
}

void MainWindow::rebuildBackground() {
    // Without a capture (a compositor, a system that does not let a program read the screen, a
    // read that gave nothing) the background is the plain colour, which the tint keeps as it is.
    background_ = captured_.isNull() || captured_.size() != size()
                      ? plainBackground(size(), settings_.backColor)
                      : tintBackground(captured_, settings_.backColor, settings_.transparency);
    update();
}

void MainWindow::recaptureBackground() {
    placeSettle_->stop();
    if (!seeThrough_ || capturing_ || !isVisible() || isMinimized() || titleBar_->dragging()) {
        rebuildBackground();
        return;
    }
    capturing_ = true;
    // The window keeps its place and the focus but shows nothing (its shape lies outside it)
    // while the screen is read; the windows beneath get a moment to repaint.
    setMask(QRegion(-2, -2, 1, 1));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QThread::msleep(80);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    capturedAt_ = geometry();
    captured_ = captureScreenUnder(capturedAt_);
    clearMask();
    capturing_ = false;
    rebuildBackground();
    applyTextColour();
}

void MainWindow::composeBackgroundAfterMove(QPoint offset, const QImage& screenNow) {
    if (!captured_.isNull() && captured_.size() == size())
        captured_ = composeMovedBackground(captured_, offset, screenNow, settings_.backColor);
    else
        captured_ = screenNow.size() == size() ? screenNow : QImage();
    capturedAt_ = QRect(capturedAt_.topLeft() + offset, size());
    rebuildBackground();
    applyTextColour();
}

// The outline was let go at `newPos`: the screen there is read while the window still stands
// at `oldPos` (the part it covers comes from the last capture), then the window moves.
void MainWindow::dragOutlineReleased(QPoint oldPos, QPoint newPos) {
    if (newPos == oldPos) return;
    const QImage screenNow = seeThrough_ ? captureScreenUnder(QRect(newPos, size())) : QImage();
    capturedAt_ = QRect(oldPos, size());
    composeBackgroundAfterMove(newPos - oldPos, screenNow);
    move(newPos);
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!background_.isNull()) p.drawImage(0, 0, background_);
    p.setPen(QColor(32, 48, 96));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void MainWindow::applyTextColour() {
    const QColor text(int(settings_.color & 0xFF), int((settings_.color >> 8) & 0xFF), int((settings_.color >> 16) & 0xFF));
    for (QLabel* l : findChildren<QLabel*>()) {
        if (titleBar_->isAncestorOf(l)) continue;  // the title keeps its own colour on the title strip
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, text);
        l->setPalette(pal);
    }
    update();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    link_.task.setTask(WorkerTask::Idle);
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
    const std::initializer_list<QWidget*> controls{
        pictureSizeLabel, scaledSizeLabel, colourDepthLabel, byteSizeLabel, itemSizeLabel, itemOffsetLabel, previewArea, Label2, Label4, operatorInfoLabel, pictureList, melodyList, operatorList,
        stringList, saveButton, restoreFileEdit, applyPatchButton, restoreCaption, transparentLabel, melodyFileEdit, name1, name2, name3, name1_l, name2_l,
        name3_l, operatorCodeLabel, operatorCodeEdit, applyOperatorButton, importButton, exportButton, zoomWidth, zoomHeight, transparentCheck, playButton, stringEdit, fontPageCombo,
        lineBreakButton, applyStringButton, stringEditLabel, searchEdit, searchLabel, melodyNameButton, melodyNameChooser};
    for (QWidget* w : controls) w->hide();
    pictureModel_->clear();
    melodyModel_->clear();
    operatorModel_->clear();
    stringModel_->clear();
    thumbnails_.clear();
    picture_ = QImage();
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
    case ListKind::Pictures:
        picture_ = QImage();
        picturePreview->clear();
        picturePreview->resize(0, 0);
        for (QLabel* l : {pictureSizeLabel, scaledSizeLabel, colourDepthLabel, byteSizeLabel}) l->clear();
        importButton->setEnabled(false);
        exportButton->setEnabled(false);
        break;
    case ListKind::Melodies:
        for (QLabel* l : {scaledSizeLabel, byteSizeLabel}) l->clear();
        importButton->setEnabled(false);
        exportButton->setEnabled(false);
        playButton->setEnabled(false);
        placeMelodyRowControls();
        break;
    case ListKind::Operators:
        for (QLineEdit* e : {operatorCodeEdit, name1, name2, name3}) e->clear();
        operatorInfoLabel->clear();
        applyOperatorButton->setEnabled(false);
        break;
    case ListKind::Strings:
        stringEdit->clear();
        for (QLabel* l : {scaledSizeLabel, byteSizeLabel}) l->clear();
        applyStringButton->setEnabled(false);
        lineBreakButton->setEnabled(false);
        break;
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

void MainWindow::hideModePanels() {
    const std::initializer_list<QWidget*> controls{
        restoreCaption, stringEditLabel, melodyFileEdit, name1, name2, name3, name1_l, name2_l, name3_l, operatorCodeLabel, operatorCodeEdit, operatorInfoLabel,
        previewArea, pictureSizeLabel, scaledSizeLabel, colourDepthLabel, byteSizeLabel, itemSizeLabel, itemOffsetLabel, operatorList, melodyList, pictureList, stringList, applyOperatorButton,
        Label2, Label4, openButton, importButton, exportButton, saveButton, flash, zoomWidth, zoomHeight, transparentCheck, transparentLabel, playButton, melodyNameButton,
        melodyNameChooser, stringEdit, fontPageCombo, lineBreakButton, applyStringButton, restoreFileEdit, applyPatchButton, searchLabel, searchEdit};
    for (QWidget* w : controls) w->hide();
}

void MainWindow::showControls(std::initializer_list<QWidget*> controls) {
    for (QWidget* w : controls) w->show();
}

void MainWindow::showImages() {
    setMode(Mode::Images);
    openButton->show();
    restoreFileEdit->hide(), applyPatchButton->hide(), restoreCaption->hide();
    if (pictureModel_->rowCount() == 0) return;
    hideModePanels();
    scaledSizeLabel->setGeometry(356, 388, 110, 18);
    byteSizeLabel->setGeometry(276, 408, 140, 18);
    showControls({previewArea, pictureSizeLabel, scaledSizeLabel, colourDepthLabel, byteSizeLabel, pictureList, Label2, Label4, openButton, importButton, exportButton, saveButton,
                  flash, zoomWidth, zoomHeight, transparentCheck, transparentLabel});
    if (pictureList->currentIndex().isValid()) selectPicture(pictureList->currentIndex().row());
    pictureList->setFocus();
}

void MainWindow::showMelodies() {
    setMode(Mode::Melodies);
    openButton->show();
    restoreFileEdit->hide(), applyPatchButton->hide(), restoreCaption->hide();
    if (melodyModel_->rowCount() == 0) return;
    hideModePanels();
    scaledSizeLabel->setGeometry(276, 438, 70, 18);
    byteSizeLabel->setGeometry(346, 438, 140, 18);
    importButton->setEnabled(true);  // every melody can be imported and exported
    exportButton->setEnabled(true);
    playButton->setEnabled(true);
    showControls({scaledSizeLabel, melodyList, openButton, importButton, exportButton, flash, saveButton, byteSizeLabel, playButton});
    if (melodyList->currentIndex().isValid()) selectMelody(melodyList->currentIndex().row());
    placeMelodyRowControls();
    melodyList->setFocus();
}

void MainWindow::showOperators() {
    setMode(Mode::Operators);
    openButton->show();
    restoreFileEdit->hide(), applyPatchButton->hide(), restoreCaption->hide();
    if (operatorModel_->rowCount() == 0) return;
    hideModePanels();
    // The names may be as long as the phone's operator format allows, within their fields.
    const OperFormat& f = ws_.image().operFormat;
    nameLimits_[0] = std::min<int>(f.name1Length, 30);
    nameLimits_[1] = std::min<int>(f.name2Length, 50);
    nameLimits_[2] = std::min<int>(f.name3Length, 100);
    name1->setMaxLength(nameLimits_[0]);
    name2->setMaxLength(nameLimits_[1]);
    name3->setMaxLength(nameLimits_[2]);
    showControls({name1, name2, name3, name1_l, name2_l, name3_l, operatorCodeLabel, operatorCodeEdit, operatorInfoLabel, operatorList, applyOperatorButton,
                  openButton, flash, saveButton});
    if (operatorList->currentIndex().isValid()) selectOperator(operatorList->currentIndex().row());
    operatorList->setFocus();
}

void MainWindow::showLangPack() {
    if (ws_.image().isReversedOrderModel()) {  // strings stay closed on these models
        showMode();
        return;
    }
    openButton->show();
    restoreFileEdit->hide(), applyPatchButton->hide(), restoreCaption->hide();
    setMode(Mode::LangPack);
    if (stringModel_->rowCount() == 0) return;
    hideModePanels();
    scaledSizeLabel->setGeometry(276, 252, 110, 18);
    byteSizeLabel->setGeometry(386, 252, 100, 18);
    showControls({searchEdit, scaledSizeLabel, stringList, openButton, flash, saveButton, byteSizeLabel, stringEdit, fontPageCombo, lineBreakButton, applyStringButton,
                  stringEditLabel, searchLabel});
    if (stringList->currentIndex().isValid()) selectString(stringList->currentIndex().row());
    stringList->setFocus();
}

void MainWindow::showRestore() {
    setMode(Mode::Restore);
    hideModePanels();
    showControls({restoreFileEdit, applyPatchButton, restoreCaption, openButton});
}

// ---- Lists -----------------------------------------------------------------------------

void MainWindow::fillLists() {
    ProgressDialog progress(link_.task, this);
    progress.hideCancelArea();
    progress.show();
    fillPictures(progress);
    QApplication::processEvents();
    fillMelodies();
    fillOperators();
    QApplication::processEvents();
    fillStrings(progress);
    QApplication::processEvents();
}

void MainWindow::refreshList(ListKind kind) {
    ProgressDialog progress(link_.task, this);
    progress.hideCancelArea();
    progress.show();
    switch (kind) {
    case ListKind::Pictures: fillPictures(progress); break;
    case ListKind::Melodies: fillMelodies(); break;
    case ListKind::Operators: fillOperators(); break;
    case ListKind::Strings: fillStrings(progress); break;
    }
}

void MainWindow::fillPictures(ProgressDialog& progress) {
    const int rows = ws_.rowCount(ListKind::Pictures);
    progress.setMaximum(rows);
    progress.setPosition(0);
    progress.setText(langText(Text::PicturesLoading));
    thumbnails_.clear();
    QStringList texts;
    texts.reserve(rows);
    // In chunks: the data file is read in order, the pictures are decoded and their
    // thumbnails made on every core, and the window repaints between chunks.
    constexpr int kChunk = 512;
    const uint16_t phoneType = ws_.image().directory.phoneType;
    std::vector<QByteArray> blobs;
    std::vector<QImage> thumbs;
    for (int first = 0; first < rows; first += kChunk) {
        const int n = std::min(kChunk, rows - first);
        blobs.assign(size_t(n), QByteArray());
        for (int k = 0; k < n; ++k) ws_.readBlob(kPictureTable, first + k, blobs[size_t(k)]);
        thumbs.assign(size_t(n), QImage());
        parallelFor(n, [&](int k) {
            const PictEntry& e = ws_.image().pictures[size_t(first + k)];
            const PictureShape shape{e.width, e.height, e.format, e.variant, phoneType};
            thumbs[size_t(k)] = makeThumbnail(cropToWidth(decodePicture(shape, blobs[size_t(k)]), e.width));
        });
        thumbnails_.addAll(thumbs);
        for (int k = 0; k < n; ++k) texts << pictureRowText(ws_.image().pictures[size_t(first + k)]);
        progress.setPosition(first + n);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    pictureModel_->reset(texts, &ws_.ticks(ListKind::Pictures));
    setMode(Mode::Images);
    if (rows > 0) pictureList->setCurrentIndex(pictureModel_->index(0));
}

void MainWindow::fillMelodies() {
    QStringList texts;
    const int rows = ws_.rowCount(ListKind::Melodies);
    for (int i = 0; i < rows; ++i) texts << melodyRowText(i, ws_.image().melodies[size_t(i)]);
    melodyModel_->reset(texts, &ws_.ticks(ListKind::Melodies));
    if (rows > 0) melodyList->setCurrentIndex(melodyModel_->index(0));
}

void MainWindow::fillOperators() {
    QStringList texts;
    loadOperatorRecords(ws_);
    const int rows = ws_.rowCount(ListKind::Operators);
    for (int i = 0; i < rows; ++i) texts << operatorRowText(ws_.image().operRecords[size_t(i)]);
    operatorModel_->reset(texts, &ws_.ticks(ListKind::Operators));
    if (rows > 0) operatorList->setCurrentIndex(operatorModel_->index(0));
}

void MainWindow::fillStrings(ProgressDialog& progress) {
    coding_.rebuild(ws_.image().charMap);
    const int rows = ws_.rowCount(ListKind::Strings);
    progress.setMaximum(rows);
    progress.setText(langText(Text::LoadingStrings));
    QStringList texts;
    texts.reserve(rows);
    QByteArray text;
    for (int i = 0; i < rows; ++i) {
        if (!stringOfRow(ws_, coding_, i, text)) text.clear();
        texts << fromCp1251(text);
        if ((i & 255) == 0) {
            progress.setPosition(i + 1);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }
    stringModel_->reset(texts, &ws_.ticks(ListKind::Strings));
    if (rows > 0) stringList->setCurrentIndex(stringModel_->index(0));
}

}  // namespace qv
