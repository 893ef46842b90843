#include "app/title_bar.h"

#include <QKeyEvent>

#include "app/language_tags.h"
#include "app/skin.h"
#include "base/language_table.h"

#include <QAction>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace qv {

// ---------------------------------------------------------------------------------------------

ImageButton::ImageButton(const QImage& normal, const QImage& pressed, QWidget* parent)
    : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setImages(normal, pressed);
}

void ImageButton::setImages(const QImage& normal, const QImage& pressed) {
    normal_ = normal;
    pressed_ = pressed;
    resize(sizeHint());
    update();
}

QSize ImageButton::sizeHint() const { return normal_.size(); }

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(QPoint(0, 0), isDown() ? pressed_ : normal_);
}

// ---------------------------------------------------------------------------------------------

namespace {
constexpr int kButtonGap = 2;
constexpr int kSettleMs = 400;
}  // namespace

TitleBar::TitleBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("titleBar"));
    setFixedHeight(skin::kTitleHeight);

    icon_ = new QLabel(this);
    icon_->setObjectName(QStringLiteral("icon"));
    icon_->setPixmap(QPixmap::fromImage(skin::windowIcon()));
    icon_->setGeometry(3, (skin::kTitleHeight - 20) / 2, 20, 20);
    icon_->installEventFilter(this);

    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("titleLabel"));
    title_->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    QPalette pal = title_->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    title_->setPalette(pal);

    auto makeButton = [this](skin::TitleButton kind, const char* name, TextKey hint) {
        auto* b = new ImageButton(skin::titleButton(kind, false), skin::titleButton(kind, true), this);
        b->setObjectName(QString::fromLatin1(name));
        setLanguageTag(b, hintTag(hint));
        b->setToolTip(langText(hint));
        return b;
    };
    close_ = makeButton(skin::TitleButton::Close, "closeButton", Text::Close);
    minimise_ = makeButton(skin::TitleButton::Minimise, "minimiseButton", Text::Minimize);
    options_ = makeButton(skin::TitleButton::Options, "optionsButton", Text::DisplayOptions);
    connect(close_, &QAbstractButton::clicked, this, &TitleBar::closeClicked);
    connect(minimise_, &QAbstractButton::clicked, this, &TitleBar::minimiseClicked);
    connect(options_, &QAbstractButton::clicked, this, &TitleBar::optionsClicked);

    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("windowMenu"));
    minimiseItem_ = new QAction(langText(Text::TitleMinimize), this);
    minimiseItem_->setObjectName(QStringLiteral("minimiseItem"));
    setLanguageTag(minimiseItem_, menuItemTag(Text::TitleMinimize));
    closeItem_ = new QAction(langText(Text::TitleClose), this);
    closeItem_->setObjectName(QStringLiteral("closeItem"));
    setLanguageTag(closeItem_, menuItemTag(Text::TitleClose));
    menu_->addAction(minimiseItem_);
    menu_->addAction(closeItem_);
    connect(minimiseItem_, &QAction::triggered, this, &TitleBar::minimiseClicked);
    connect(closeItem_, &QAction::triggered, this, &TitleBar::closeClicked);

    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &TitleBar::finishSystemMove);
}

TitleBar::~TitleBar() { delete outline_; }

void TitleBar::setTitle(const QString& title) { title_->setText(title); }

QString TitleBar::title() const { return title_->text(); }

void TitleBar::popupWindowMenu(const QPoint& globalPos) { menu_->popup(globalPos); }

QSize TitleBar::sizeHint() const { return QSize(200, skin::kTitleHeight); }

void TitleBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(QPoint(0, 0), skin::titleStrip(width()));
}

void TitleBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int y = (skin::kTitleHeight - close_->height()) / 2;
    int x = width() - 4 - close_->width();
    close_->move(x, y);
    x -= kButtonGap + minimise_->width();
    minimise_->move(x, y);
    x -= kButtonGap + options_->width();
    options_->move(x, y);
    const int left = icon_->geometry().right() + 6;
    title_->setGeometry(left, 0, std::max(0, x - 4 - left), skin::kTitleHeight);
}

void TitleBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || drag_ == Drag::System) {
        event->ignore();
        return;
    }
    drag_ = Drag::Pressed;
    pressGlobal_ = event->globalPosition().toPoint();
    startPos_ = window()->pos();
    event->accept();
}

void TitleBar::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || (drag_ != Drag::Pressed && drag_ != Drag::Following && drag_ != Drag::Outline)) {
        event->ignore();
        return;
    }
    if (drag_ == Drag::Outline || (drag_ == Drag::Pressed && outlineDrag_)) {
        drag_ = Drag::Outline;
        showOutline(startPos_ + event->globalPosition().toPoint() - pressGlobal_);
        return;
    }
    if (drag_ == Drag::Pressed) {
        QWindow* handle = window()->windowHandle();
        if (handle && handle->startSystemMove()) {
            drag_ = Drag::System;
            window()->installEventFilter(this);
            settle_.start();
            return;
        }
        drag_ = Drag::Following;
    }
    window()->move(startPos_ + event->globalPosition().toPoint() - pressGlobal_);
}

void TitleBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (drag_ == Drag::System) {
        finishSystemMove();
        return;
    }
    if (drag_ == Drag::Outline) {
        drag_ = Drag::None;
        outline_->hide();
        if (outlinePos_ != startPos_) emit outlineReleased(startPos_, outlinePos_);
        return;
    }
    const bool dragging = drag_ == Drag::Following;
    drag_ = Drag::None;
    const QPoint now = window()->pos();
    if (dragging && now != startPos_) emit dragFinished(startPos_, now);
}

// The outline: a frame two pixels wide just outside the window's rectangle at `topLeft`, so
// that it never lies over the screen the window will show through at that place.
void TitleBar::showOutline(QPoint topLeft) {
    constexpr int kLine = 2;
    const QSize size = window()->size();
    if (!outline_) {
        outline_ = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                                            Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput |
                                            Qt::WindowDoesNotAcceptFocus);
        outline_->setObjectName(QStringLiteral("dragOutline"));
        outline_->setAttribute(Qt::WA_ShowWithoutActivating);
        outline_->setAutoFillBackground(true);
        QPalette pal = outline_->palette();
        pal.setColor(QPalette::Window, QColor(0x10, 0x20, 0x60));
        outline_->setPalette(pal);
    }
    const QRect outer(QPoint(0, 0), size + QSize(2 * kLine, 2 * kLine));
    if (outline_->size() != outer.size() || outline_->mask().isEmpty()) {
        outline_->setFixedSize(outer.size());
        outline_->setMask(QRegion(outer).subtracted(QRegion(outer.adjusted(kLine, kLine, -kLine, -kLine))));
    }
    outlinePos_ = topLeft;
    outline_->move(topLeft - QPoint(kLine, kLine));
    outline_->show();
}

void TitleBar::finishSystemMove() {
    if (drag_ != Drag::System) return;
    settle_.stop();
    window()->removeEventFilter(this);
    drag_ = Drag::None;
    const QPoint now = window()->pos();
    if (now != startPos_) emit dragFinished(startPos_, now);
}

bool TitleBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == icon_ && event->type() == QEvent::MouseButtonPress) {
        popupWindowMenu(icon_->mapToGlobal(QPoint(0, icon_->height())));
        return true;
    }
    if (watched == window() && drag_ == Drag::System && event->type() == QEvent::Move) settle_.start();
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------

SkinnedDialogFrame::SkinnedDialogFrame(QDialog* dialog, QSize clientSize, TextKey title)
    : QFrame(dialog), dialog_(dialog) {
    dialog->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    dialog->setFixedSize(clientSize);
    setObjectName(QStringLiteral("frame"));
    setGeometry(QRect(QPoint(0, 0), clientSize));
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xd4, 0xd0, 0xc8));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("titleLabel"));
    setLanguageTag(title_, captionTag(title));
    title_->setText(langText(title));
    title_->setAlignment(Qt::AlignCenter);
    title_->setGeometry(1, 1, clientSize.width() - 2, 20);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    QPalette titlePal = title_->palette();
    titlePal.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xa0));
    title_->setPalette(titlePal);

    dialog->installEventFilter(this);
}

void SkinnedDialogFrame::centreOnParent(QWidget* dialog) {
    QRect area;
    if (QWidget* parent = dialog->parentWidget())
        area = parent->window()->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty()) return;
    dialog->move(area.x() + (area.width() - dialog->width()) / 2, area.y() + (area.height() - dialog->height()) / 2);
}

bool SkinnedDialogFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dialog_ && event->type() == QEvent::Show) {
        centreOnParent(dialog_);
        applyLanguage(dialog_);
    }
    return QFrame::eventFilter(watched, event);
}

bool handleApplyCancelKey(QDialog* dialog, QKeyEvent* event, const std::function<void()>& apply) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        apply();
        return true;
    case Qt::Key_Escape:
        dialog->reject();
        return true;
    default:
        return false;
    }
}

}  // namespace qv
