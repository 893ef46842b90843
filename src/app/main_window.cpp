#include "app/main_window.h"

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
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFrame>
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
    PictureRowDelegate(TMyImageList& thumbs, QObject* parent) : QStyledItemDelegate(parent), thumbs_(thumbs) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), 72};
    }
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        p->fillRect(option.rect, selected ? QColor(0, 0, 160) : option.palette.base().color());
        const QRect box(option.rect.left() + 22, option.rect.top() + 12, 48, 48);
        thumbs_.draw(*p, box.left(), box.top(), index.row());
        QStyleOptionButton check;
        check.rect = QRect(option.rect.left() + 3, option.rect.top() + 28, 16, 16);
        check.state = QStyle::State_Enabled |
                      (index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
        QApplication::style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &check, p);
        p->setPen(selected ? Qt::white : option.palette.text().color());
        p->drawText(QRect(box.right() + 10, option.rect.top(), option.rect.width() - 90, 72), Qt::AlignVCenter,
                    index.data().toString());
    }

private:
    TMyImageList& thumbs_;
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

TForm1::TForm1(const MainWindowOptions& options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), options_(options) {
    setObjectName("TForm1");
    languageTable().load(programDirectory());
    if (options_.settingsPath.isEmpty()) options_.settingsPath = Settings::defaultPath();
    if (!options_.dialogs) ownDialogs_ = std::make_unique<QtDialogService>(this, options_.settingsPath);
    setFixedSize(kClientWidth, kClientHeight);
    setWindowTitle(langText("8001"));
    settings_ = Settings::load(options_.settingsPath);
    buildControls();
    resetWorkspaceView();
    at_.portSetting = [this] { return settings_.port; };
    link_.task.setTaskCode(tcStart);
    worker_.start();
}

TForm1::~TForm1() {
    worker_.stop();
    link_.port.close();
}

DialogService& TForm1::dialogs() { return options_.dialogs ? *options_.dialogs : *ownDialogs_; }

void TForm1::buildControls() {
    titleBar_ = new TitleBar(this);
    titleBar_->setTitle(langText("8001"));
    titleBar_->setGeometry(0, 0, kClientWidth, 25);
    connect(titleBar_, &TitleBar::closeClicked, this, &QWidget::close);
    connect(titleBar_, &TitleBar::minimiseClicked, this, &QWidget::showMinimized);
    connect(titleBar_, &TitleBar::optionsClicked, this, [this] {
        TForm3 dialog(settings_, options_.settingsPath, this);
        dialog.exec();
        rebuildBackground();
    });
    connect(titleBar_, &TitleBar::dragFinished, this, [this](QPoint, QPoint) { rebuildBackground(); });

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
    connect(L_Button, &QToolButton::clicked, this, &TForm1::L_ButtonClick);
    connect(saveb, &QToolButton::clicked, this, &TForm1::savebClick);
    connect(flash, &QToolButton::clicked, this, &TForm1::flashClick);
    connect(info, &QToolButton::clicked, this, &TForm1::infoClick);
    connect(setting, &QToolButton::clicked, this, &TForm1::settingClick);

    prosha = infoLabel(this, "prosha", QRect(330, 36, 230, 22));
    QFont bold = prosha->font();
    bold.setBold(true);
    prosha->setFont(bold);

    rezhym = new QFrame(this);
    rezhym->setObjectName("rezhym");
    rezhym->setGeometry(10, 64, 549, 24);
    auto modeButton = [&](const char* name, int tag, int index) {
        auto* b = new QPushButton(rezhym);
        b->setObjectName(name);
        setLanguageTag(b, tag);
        b->setGeometry(index * 110, 0, 106, 24);
        b->setFlat(true);
        return b;
    };
    ExpressButton1 = modeButton("ExpressButton1", 8030, 0);
    ExpressButton2 = modeButton("ExpressButton2", 8031, 1);
    ExpressButton3 = modeButton("ExpressButton3", 8032, 2);
    ExpressButton5 = modeButton("ExpressButton5", 8049, 3);
    ExpressButton6 = modeButton("ExpressButton6", 8050, 4);
    connect(ExpressButton1, &QPushButton::clicked, this, &TForm1::ExpressButton1Click);
    connect(ExpressButton2, &QPushButton::clicked, this, &TForm1::ExpressButton2Click);
    connect(ExpressButton3, &QPushButton::clicked, this, &TForm1::ExpressButton3Click);
    connect(ExpressButton5, &QPushButton::clicked, this, &TForm1::ExpressButton5Click);
    connect(ExpressButton6, &QPushButton::clicked, this, &TForm1::ExpressButton6Click);

    pictureModel_ = new CheckListModel(this);
    melodyModel_ = new CheckListModel(this);
    operatorModel_ = new CheckListModel(this);
    stringModel_ = new CheckListModel(this);
    spisok_p = checkList(this, "spisok_p", pictureModel_);
    spisok_p->setItemDelegate(new PictureRowDelegate(thumbnails_, spisok_p));
    spisok = checkList(this, "spisok", melodyModel_);
    spisok_o = checkList(this, "spisok_o", operatorModel_);
    spisok_s = checkList(this, "spisok_s", stringModel_);
    // A click on the tick box of a picture row ticks it (the delegate draws its own box).
    connect(spisok_p, &QListView::clicked, this, [this](const QModelIndex& i) {
        const QPoint at = spisok_p->viewport()->mapFromGlobal(QCursor::pos());
        if (at.x() < 20) pictureModel_->setData(i, i.data(Qt::CheckStateRole).toInt() == Qt::Checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    });
    auto onCurrent = [this](QListView* v, void (TForm1::*select)(int)) {
        connect(v->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this, select](const QModelIndex& i) { if (i.isValid()) (this->*select)(i.row()); });
    };
    onCurrent(spisok_p, &TForm1::selectPicture);
    onCurrent(spisok, &TForm1::selectMelody);
    onCurrent(spisok_o, &TForm1::selectOperator);
    onCurrent(spisok_s, &TForm1::selectString);

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
    for (QListView* list : {spisok_p, spisok, spisok_o, spisok_s}) list->installEventFilter(this);

    Label5 = infoLabel(this, "Label5", QRect(20, 110, 300, 20));
    setLanguageTag(Label5, 8043);
    RestoreFile = new FileNameEdit(this);
    RestoreFile->setObjectName("RestoreFile");
    RestoreFile->setGeometry(20, 134, 420, 26);
    RestoreFile->setFilter(QStringLiteral("Patch files|*.flp"));
    setLanguageTag(RestoreFile, 9144);
    apply_patch = toolButton(this, "apply_patch", QStyle::SP_DialogApplyButton, 8810);
    apply_patch->move(450, 132);
    connect(apply_patch, &QToolButton::clicked, this, &TForm1::apply_patchClick);

    Label1 = infoLabel(this, "Label1", QRect(10, 436, 120, 16));
    Label1->setText(QStringLiteral("<a href=\"#\">About...</a>"));
    setLanguageTag(Label1, 8820);
    connect(Label1, &QLabel::linkActivated, this, [this] { Tform7(this).exec(); });
    Label9 = infoLabel(this, "Label9", QRect(140, 436, 120, 16));
    Label9->setText(QStringLiteral("<a href=\"https://quorvanta.example.org/\">quorvanta.example.org</a>"));
    Label9->setOpenExternalLinks(true);
    setLanguageTag(Label9, 8805);
}

void TForm1::showEvent(QShowEvent* event) {
    applyLanguage(this);
    applyTextColour();
    rebuildBackground();
    QWidget::showEvent(event);
}

bool TForm1::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) rebuildBackground();
    return QWidget::event(e);
}

void TForm1::rebuildBackground() {
    const QRect under(mapToGlobal(QPoint(0, 0)), size());
    // The window itself must not be in the picture: capture only while it is not shown yet
    // or from what was captured before.
    if (!isVisible() || captured_.isNull()) captured_ = captureScreenUnder(under);
    if (captured_.isNull() || captured_.size() != size()) {
        // The windowing system does not let us read the screen: a plain fill of the colour.
        QImage plain(size(), QImage::Format_RGB32);
        plain.fill(QColor(int(settings_.backColor & 0xFF), int((settings_.backColor >> 8) & 0xFF),
                          int((settings_.backColor >> 16) & 0xFF)));
        captured_ = plain;
    }
    background_ = tintBackground(captured_, settings_.backColor, settings_.transparency);
    update();
}

void TForm1::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!background_.isNull()) p.drawImage(0, 0, background_);
    p.setPen(QColor(32, 48, 96));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TForm1::applyTextColour() {
    const QColor text(int(settings_.color & 0xFF), int((settings_.color >> 8) & 0xFF), int((settings_.color >> 16) & 0xFF));
    for (QLabel* l : findChildren<QLabel*>()) {
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, text);
        l->setPalette(pal);
    }
    update();
}

void TForm1::closeEvent(QCloseEvent* event) {
    link_.task.setTaskCode(tcIdle);
    thumbnails_.clear();
    ws_.close();
    QString why;
    settings_.save(options_.settingsPath, &why);
    event->accept();
}

void TForm1::pumpEvents(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

// ---- Workspace view and modes ---------------------------------------------------------

void TForm1::resetWorkspaceView() {
    prosha->clear();
    const std::initializer_list<QWidget*> controls{
        razr, razr2, col_us, dlina_us, pic_siz, pic_off, image_3, Label2, Label4, name_oper, spisok_p, spisok, spisok_o,
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
    rezhym->setEnabled(ws_.hasDataFile());
    info->setEnabled(true);
}

void TForm1::hideModePanels() {
    const std::initializer_list<QWidget*> controls{
        Label5, editstr_l, mel_imp, name1, name2, name3, name1_l, name2_l, name3_l, name_kod_l, name_kod, name_oper,
        image_3, razr, razr2, col_us, dlina_us, pic_siz, pic_off, spisok_o, spisok, spisok_p, spisok_s, Refresh_b,
        Label2, Label4, L_Button, impbut, expbut, saveb, flash, x_shyr, x_vys, transp, transp_l, play_b, Button2,
        melName, editstr, atr_combo, cr_but, apply_but, RestoreFile, apply_patch, findstr_l, findstr};
    for (QWidget* w : controls) w->hide();
}

void TForm1::showControls(std::initializer_list<QWidget*> controls) {
    for (QWidget* w : controls) w->show();
}

void TForm1::ExpressButton1Click() {
    mode_ = Mode::Images;
    L_Button->show();
    RestoreFile->hide(), apply_patch->hide(), Label5->hide();
    if (pictureModel_->rowCount() == 0) return;
    hideModePanels();
    razr2->setGeometry(356, 388, 110, 18);
    dlina_us->setGeometry(276, 408, 140, 18);
    showControls({image_3, razr, razr2, col_us, dlina_us, spisok_p, Label2, Label4, L_Button, impbut, expbut, saveb,
                  flash, x_shyr, x_vys, transp, transp_l});
    if (spisok_p->currentIndex().isValid()) selectPicture(spisok_p->currentIndex().row());
    spisok_p->setFocus();
}

void TForm1::ExpressButton2Click() {
    mode_ = Mode::Melodies;
    L_Button->show();
    RestoreFile->hide(), apply_patch->hide(), Label5->hide();
    if (melodyModel_->rowCount() == 0) return;
    hideModePanels();
    razr2->setGeometry(276, 438, 70, 18);
    dlina_us->setGeometry(346, 438, 140, 18);
    impbut->setEnabled(true);  // every melody can be imported and exported
    expbut->setEnabled(true);
    showControls({razr2, spisok, L_Button, impbut, expbut, flash, saveb, dlina_us, play_b});
    if (spisok->currentIndex().isValid()) selectMelody(spisok->currentIndex().row());
    placeMelodyRowControls();
    spisok->setFocus();
}

void TForm1::ExpressButton3Click() {
    mode_ = Mode::Operators;
    L_Button->show();
    RestoreFile->hide(), apply_patch->hide(), Label5->hide();
    if (operatorModel_->rowCount() == 0) return;
    hideModePanels();
    // The names may be as long as the phone's operator format allows, within their fields.
    const OperFormat& f = ws_.image().operFormat;
    name1->setMaxLength(std::min<int>(f.name1Length, 30));
    name2->setMaxLength(std::min<int>(f.name2Length, 50));
    name3->setMaxLength(std::min<int>(f.name3Length, 100));
    showControls({name1, name2, name3, name1_l, name2_l, name3_l, name_kod_l, name_kod, name_oper, spisok_o, Refresh_b,
                  L_Button, flash, saveb});
    if (spisok_o->currentIndex().isValid()) selectOperator(spisok_o->currentIndex().row());
    spisok_o->setFocus();
}

void TForm1::ExpressButton5Click() {
    if (ws_.image().isReversedOrderModel()) return;  // strings stay closed on these models
    L_Button->show();
    RestoreFile->hide(), apply_patch->hide(), Label5->hide();
    mode_ = Mode::LangPack;
    if (stringModel_->rowCount() == 0) return;
    hideModePanels();
    razr2->setGeometry(276, 252, 110, 18);
    dlina_us->setGeometry(386, 252, 100, 18);
    showControls({findstr, razr2, spisok_s, L_Button, flash, saveb, dlina_us, editstr, atr_combo, cr_but, apply_but,
                  editstr_l, findstr_l});
    if (spisok_s->currentIndex().isValid()) selectString(spisok_s->currentIndex().row());
    spisok_s->setFocus();
}

void TForm1::ExpressButton6Click() {
    mode_ = Mode::Restore;
    hideModePanels();
    showControls({RestoreFile, apply_patch, Label5, L_Button});
}

// ---- Lists -----------------------------------------------------------------------------

void TForm1::fillLists() {
    TProgressDialog progress(link_.task, this);
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

void TForm1::fillPictures(TProgressDialog& progress) {
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
    const uint16_t phoneType = ws_.image().shapka.phoneType;
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
    mode_ = Mode::Images;
    if (rows > 0) spisok_p->setCurrentIndex(pictureModel_->index(0));
}

void TForm1::fillMelodies() {
    QStringList texts;
    const int rows = ws_.rowCount(ListKind::Melodies);
    for (int i = 0; i < rows; ++i) texts << melodyRowText(i, ws_.image().melodies[size_t(i)]);
    melodyModel_->reset(texts, &ws_.ticks(ListKind::Melodies));
    if (rows > 0) spisok->setCurrentIndex(melodyModel_->index(0));
}

void TForm1::fillOperators() {
    QStringList texts;
    loadOperatorRecords(ws_);
    const int rows = ws_.rowCount(ListKind::Operators);
    for (int i = 0; i < rows; ++i) texts << operatorRowText(ws_.image().operRecords[size_t(i)]);
    operatorModel_->reset(texts, &ws_.ticks(ListKind::Operators));
    if (rows > 0) spisok_o->setCurrentIndex(operatorModel_->index(0));
}

void TForm1::fillStrings(TProgressDialog& progress) {
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
