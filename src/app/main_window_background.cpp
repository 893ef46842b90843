// The window's own looks and keys: the see-through background read from the screen beneath and
// tinted, kept when the window moves, the text colour of its labels, and the window menu on Alt.
#include "app/main_window.h"

#include "app/language_tags.h"
#include "app/skin.h"
#include "app/title_bar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QThread>
#include <QTimer>

namespace qv {


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

}  // namespace qv
