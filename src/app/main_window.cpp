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
    setWindowTitle(langText("8001"));
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
    at_.portSetting = [this] { return settings_.port; };
    link_.task.setTaskCode(tcStart);
    worker_.start();
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    worker_.stop();
    link_.port.close();
}

DialogService& MainWindow::dialogs() { return options_.dialogs ? *options_.dialogs : *ownDialogs_; }

void MainWindow::buildControls() {
    titleBar_ = new TitleBar(this);
    titleBar_->setTitle(langText("8001"));
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

    L_Button = toolButton(this, "L_Button", QStyle::SP_DialogOpenButton, 8802);
    saveb = toolButton(this, "saveb", QStyle::SP_DialogSaveButton, 8806);
    flash = toolButton(this, "flash", QStyle::SP_ArrowUp, 8811);
    info = toolButton(this, "info", QStyle::SP_MessageBoxInformation, 8813);
    setting = toolButton(this, "setting", QStyle::SP_FileDialogDetailedView, 8814);
    int x = 10;
    for (QToolButton* b : {L_Button, saveb, flash, info, setting}) {
        b->move(x, 32);
        x += 38;
    }
    connect(L_Button, &QToolButton::clicked, this, &MainWindow::L_ButtonClick);
    connect(saveb, &QToolButton::clicked, this, &MainWindow::savebClick);
    connect(flash, &QToolButton::clicked, this, &MainWindow::flashClick);
    connect(info, &QToolButton::clicked, this, &MainWindow::infoClick);
    connect(setting, &QToolButton::clicked, this, &MainWindow::settingClick);

    prosha = infoLabel(this, "prosha", QRect(330, 36, 230, 22));
    QFont bold = prosha->font();
    bold.setBold(true);
    prosha->setFont(bold);

    rezhym = new QFrame(this);
    rezhym->setObjectName("rezhym");
    rezhym->setGeometry(10, 64, 549, 24);
    // The mode buttons keep a plate of their own, so their captions read on any background
    // (a mode that cannot be chosen yet is greyed, not faded away), and the mode in front
    // stays pressed.
    rezhym->setStyleSheet(QStringLiteral(
        "QPushButton { color: #102060; background: #e8ecf4; border: 1px solid #30589b; border-radius: 3px; }"
        "QPushButton:hover { background: #ffffff; }"
        "QPushButton:checked { color: #ffffff; background: #3058b8; border-color: #102060; font-weight: bold; }"
        "QPushButton:disabled { color: #4a4a4a; background: #d0d0d0; border-color: #8a8a8a; }"));
    auto modeButton = [&](const char* name, int tag, int index) {
        auto* b = new QPushButton(rezhym);
        b->setObjectName(name);
        setLanguageTag(b, tag);
        b->setGeometry(index * 110, 0, 106, 24);
        b->setCheckable(true);
        return b;
    };
    ExpressButton1 = modeButton("ExpressButton1", 8030, 0);
    ExpressButton2 = modeButton("ExpressButton2", 8031, 1);
    ExpressButton3 = modeButton("ExpressButton3", 8032, 2);
    ExpressButton5 = modeButton("ExpressButton5", 8049, 3);
    ExpressButton6 = modeButton("ExpressButton6", 8050, 4);
    connect(ExpressButton1, &QPushButton::clicked, this, &MainWindow::ExpressButton1Click);
    connect(ExpressButton2, &QPushButton::clicked, this, &MainWindow::ExpressButton2Click);
    connect(ExpressButton3, &QPushButton::clicked, this, &MainWindow::ExpressButton3Click);
    connect(ExpressButton5, &QPushButton::clicked, this, &MainWindow::ExpressButton5Click);
    connect(ExpressButton6, &QPushButton::clicked, this, &MainWindow::ExpressButton6Click);

    pictureModel_ = new CheckListModel(this);
    melodyModel_ = new CheckListModel(this);
    operatorModel_ = new CheckListModel(this);
    stringModel_ = new CheckListModel(this);
    spisok_p = checkList(this, "spisok_p", pictureModel_);
    spisok_p->setItemDelegate(new PictureRowDelegate(thumbnails_, spisok_p));
    spisok = checkList(this, "spisok", melodyModel_);
    spisok_o = checkList(this, "spisok_o", operatorModel_);
    spisok_s = checkList(this, "spisok_s", stringModel_);
    auto onCurrent = [this](QListView* v, void (MainWindow::*select)(int)) {
        connect(v->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this, select](const QModelIndex& i) { if (i.isValid()) (this->*select)(i.row()); });
    };
    onCurrent(spisok_p, &MainWindow::selectPicture);
    onCurrent(spisok, &MainWindow::selectMelody);
    onCurrent(spisok_o, &MainWindow::selectOperator);
    onCurrent(spisok_s, &MainWindow::selectString);

    razr = infoLabel(this, "razr", QRect(276, 388, 80, 18));
    razr2 = infoLabel(this, "razr2", QRect(356, 388, 100, 18));
    col_us = infoLabel(this, "col_us", QRect(470, 388, 90, 18));
    dlina_us = infoLabel(this, "dlina_us", QRect(276, 408, 140, 18));
    pic_siz = infoLabel(this, "pic_siz", QRect(420, 412, 140, 18));
    pic_off = infoLabel(this, "pic_off", QRect(276, 432, 280, 18));
    Label2 = infoLabel(this, "Label2", QRect(276, 372, 1, 1));
    Label4 = infoLabel(this, "Label4", QRect(276, 372, 1, 1));
    buildPictureEditor();
    buildMelodyEditor();
    buildOperatorEditor();
    buildStringEditor();
    // The lists' keys reach eventFilter through the application-wide filter installed at creation.
    batchActions_ = new ListBatchActions(this, ws_, dialogs(),
                                         {[this](ListKind kind) { refreshList(kind); }, [this] { return exportFolder(); }});
    batchActions_->attach(spisok_p, ListKind::Pictures);
    batchActions_->attach(spisok, ListKind::Melodies);
    batchActions_->attach(spisok_s, ListKind::Strings);

    Label5 = infoLabel(this, "Label5", QRect(20, 110, 300, 20));
    setLanguageTag(Label5, 8043);
    RestoreFile = new FileNameEdit(this);
    RestoreFile->setObjectName("RestoreFile");
    RestoreFile->setGeometry(20, 134, 420, 26);
    RestoreFile->setFilter(QStringLiteral("Patch files|*.flp"));
    setLanguageTag(RestoreFile, 9144);
    apply_patch = toolButton(this, "apply_patch", QStyle::SP_DialogApplyButton, 8810);
    apply_patch->move(450, 132);
    connect(apply_patch, &QToolButton::clicked, this, &MainWindow::apply_patchClick);

    Label1 = infoLabel(this, "Label1", QRect(10, 436, 120, 16));
    Label1->setText(QStringLiteral("<a href=\"#\">About...</a>"));
    setLanguageTag(Label1, 8820);
    connect(Label1, &QLabel::linkActivated, this, [this] { AboutDialog(this).exec(); });
    Label9 = infoLabel(this, "Label9", QRect(132, 436, 140, 16));
    Label9->setText(QStringLiteral("<a href=\"https://quorvanta.example.org/\">quorvanta.example.org</a>"));
    Label9->setOpenExternalLinks(true);
    setLanguageTag(Label9, 8805);
    // As wide as its text (it ends before the scale boxes at x 276).
    Label9->resize(std::min(Label9->sizeHint().width() + 2, 276 - 4 - Label9->x()), Label9->height());
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
    link_.task.setTaskCode(tcIdle);
    thumbnails_.clear();
    ws_.close();
    QString why;
    settings_.save(options_.settingsPath, &why);
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
    prosha->clear();
    const std::initializer_list<QWidget*> controls{
        razr, razr2, col_us, dlina_us, pic_siz, pic_off, pic_area, Label2, Label4, name_oper, spisok_p, spisok, spisok_o,
        spisok_s, saveb, RestoreFile, apply_patch, Label5, transp_l, mel_imp, name1, name2, name3, name1_l, name2_l,
        name3_l, name_kod_l, name_kod, Refresh_b, impbut, expbut, x_shyr, x_vys, transp, play_b, editstr, atr_combo,
        cr_but, apply_but, editstr_l, findstr, findstr_l, Button2, melName};
    for (QWidget* w : controls) w->hide();
    pictureModel_->clear();
    melodyModel_->clear();
    operatorModel_->clear();
    stringModel_->clear();
    thumbnails_.clear();
    picture_ = QImage();
    flash->setEnabled(false);
    // Restore needs no service file; the list modes wait for one with its data.
    for (QPushButton* b : {ExpressButton1, ExpressButton2, ExpressButton3, ExpressButton5})
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
    ExpressButton1->setChecked(open && mode_ == Mode::Images);
    ExpressButton2->setChecked(open && mode_ == Mode::Melodies);
    ExpressButton3->setChecked(open && mode_ == Mode::Operators);
    ExpressButton5->setChecked(open && mode_ == Mode::LangPack);
    ExpressButton6->setChecked(mode_ == Mode::Restore);
}

// A list left with no rows: nothing is selected, so nothing describes an item and the
// commands that need one stand disabled until a row is selected again.
void MainWindow::showNoSelection(ListKind kind) {
    switch (kind) {
    case ListKind::Pictures:
        picture_ = QImage();
        image_3->clear();
        image_3->resize(0, 0);
        for (QLabel* l : {razr, razr2, col_us, dlina_us}) l->clear();
        impbut->setEnabled(false);
        expbut->setEnabled(false);
        break;
    case ListKind::Melodies:
        for (QLabel* l : {razr2, dlina_us}) l->clear();
        impbut->setEnabled(false);
        expbut->setEnabled(false);
        play_b->setEnabled(false);
        placeMelodyRowControls();
        break;
    case ListKind::Operators:
        for (QLineEdit* e : {name_kod, name1, name2, name3}) e->clear();
        name_oper->clear();
        Refresh_b->setEnabled(false);
        break;
    case ListKind::Strings:
        editstr->clear();
        for (QLabel* l : {razr2, dlina_us}) l->clear();
        apply_but->setEnabled(false);
        cr_but->setEnabled(false);
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
                          langText("8001"));
    return true;
}

void MainWindow::hideModePanels() {
    const std::initializer_list<QWidget*> controls{
        Label5, editstr_l, mel_imp, name1, name2, name3, name1_l, name2_l, name3_l, name_kod_l, name_kod, name_oper,
        pic_area, razr, razr2, col_us, dlina_us, pic_siz, pic_off, spisok_o, spisok, spisok_p, spisok_s, Refresh_b,
        Label2, Label4, L_Button, impbut, expbut, saveb, flash, x_shyr, x_vys, transp, transp_l, play_b, Button2,
        melName, editstr, atr_combo, cr_but, apply_but, RestoreFile, apply_patch, findstr_l, findstr};
    for (QWidget* w : controls) w->hide();
}

void MainWindow::showControls(std::initializer_list<QWidget*> controls) {
    for (QWidget* w : controls) w->show();
}

void MainWindow::ExpressButton1Click() {
    setMode(Mode::Images);
    L_Button->show();
    RestoreFile->hide(), apply_patch->hide(), Label5->hide();
    if (pictureModel_->rowCount() == 0) return;
    hideModePanels();
    razr2->setGeometry(356, 388, 110, 18);
    dlina_us->setGeometry(276, 408, 140, 18);
    showControls({pic_area, razr, razr2, col_us, dlina_us, spisok_p, Label2, Label4, L_Button, impbut, expbut, saveb,
                  flash, x_shyr, x_vys, transp, transp_l});
    if (spisok_p->currentIndex().isValid()) selectPicture(spisok_p->currentIndex().row());
    spisok_p->setFocus();
}

void MainWindow::ExpressButton2Click() {
    setMode(Mode::Melodies);
    L_Button->show();
    RestoreFile->hide(), apply_patch->hide(), Label5->hide();
    if (melodyModel_->rowCount() == 0) return;
    hideModePanels();
    razr2->setGeometry(276, 438, 70, 18);
    dlina_us->setGeometry(346, 438, 140, 18);
    impbut->setEnabled(true);  // every melody can be imported and exported
    expbut->setEnabled(true);
    play_b->setEnabled(true);
    showControls({razr2, spisok, L_Button, impbut, expbut, flash, saveb, dlina_us, play_b});
    if (spisok->currentIndex().isValid()) selectMelody(spisok->currentIndex().row());
    placeMelodyRowControls();
    spisok->setFocus();
}

void MainWindow::ExpressButton3Click() {
    setMode(Mode::Operators);
    L_Button->show();
    RestoreFile->hide(), apply_patch->hide(), Label5->hide();
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
    showControls({name1, name2, name3, name1_l, name2_l, name3_l, name_kod_l, name_kod, name_oper, spisok_o, Refresh_b,
                  L_Button, flash, saveb});
    if (spisok_o->currentIndex().isValid()) selectOperator(spisok_o->currentIndex().row());
    spisok_o->setFocus();
}

void MainWindow::ExpressButton5Click() {
    if (ws_.image().isReversedOrderModel()) {  // strings stay closed on these models
        showMode();
        return;
    }
    L_Button->show();
    RestoreFile->hide(), apply_patch->hide(), Label5->hide();
    setMode(Mode::LangPack);
    if (stringModel_->rowCount() == 0) return;
    hideModePanels();
    razr2->setGeometry(276, 252, 110, 18);
    dlina_us->setGeometry(386, 252, 100, 18);
    showControls({findstr, razr2, spisok_s, L_Button, flash, saveb, dlina_us, editstr, atr_combo, cr_but, apply_but,
                  editstr_l, findstr_l});
    if (spisok_s->currentIndex().isValid()) selectString(spisok_s->currentIndex().row());
    spisok_s->setFocus();
}

void MainWindow::ExpressButton6Click() {
    setMode(Mode::Restore);
    hideModePanels();
    showControls({RestoreFile, apply_patch, Label5, L_Button});
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
    progress.setText(langText("009"));
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
        for (int k = 0; k < n; ++k) ws_.readBlob(idTablePict, first + k, blobs[size_t(k)]);
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
    if (rows > 0) spisok_p->setCurrentIndex(pictureModel_->index(0));
}

void MainWindow::fillMelodies() {
    QStringList texts;
    const int rows = ws_.rowCount(ListKind::Melodies);
    for (int i = 0; i < rows; ++i) texts << melodyRowText(i, ws_.image().melodies[size_t(i)]);
    melodyModel_->reset(texts, &ws_.ticks(ListKind::Melodies));
    if (rows > 0) spisok->setCurrentIndex(melodyModel_->index(0));
}

void MainWindow::fillOperators() {
    QStringList texts;
    loadOperatorRecords(ws_);
    const int rows = ws_.rowCount(ListKind::Operators);
    for (int i = 0; i < rows; ++i) texts << operatorRowText(ws_.image().operRecords[size_t(i)]);
    operatorModel_->reset(texts, &ws_.ticks(ListKind::Operators));
    if (rows > 0) spisok_o->setCurrentIndex(operatorModel_->index(0));
}

void MainWindow::fillStrings(ProgressDialog& progress) {
    coding_.rebuild(ws_.image().charMap);
    const int rows = ws_.rowCount(ListKind::Strings);
    progress.setMaximum(rows);
    progress.setText(langText("073"));
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
    if (rows > 0) spisok_s->setCurrentIndex(stringModel_->index(0));
}

}  // namespace qv
