#pragma once
// The skinned window parts: image buttons with a pressed look, the main window's title strip,
// and the frame every small dialog shares.
#include "base/text_keys.h"

#include <functional>
#include <QAbstractButton>
#include <QFrame>
#include <QImage>
#include <QPoint>
#include <QTimer>

class QAction;
class QDialog;
class QKeyEvent;
class QLabel;
class QMenu;

namespace qv {

// A button drawn from two images: the pressed one shows only while the left mouse button is
// held on it (other buttons are ignored, as a plain button does). Takes no keyboard focus,
// so keys reach the dialog.
class ImageButton : public QAbstractButton {
    Q_OBJECT
public:
    ImageButton(const QImage& normal, const QImage& pressed, QWidget* parent = nullptr);
    void setImages(const QImage& normal, const QImage& pressed);
    bool showsPressedLook() const { return isDown(); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage normal_;
    QImage pressed_;
};

// The title strip across the top of the main window: the icon with the window menu
// ("Minimize", "Close"), the title text and the display options, minimise and close buttons
// (optionsButton, minimiseButton, closeButton).
// Dragging the strip with the left button moves the top-level window: by the window system
// where it offers that (the move then counts as finished once the window has rested for a
// moment), else by following the mouse. Either way dragFinished reports the move.
// In outline mode the window stays where it is while an outline of it follows the mouse;
// letting go reports outlineReleased with the outline's place and leaves the move to the
// window (which reads the screen there first).
class TitleBar : public QWidget {
    Q_OBJECT
public:
    explicit TitleBar(QWidget* parent = nullptr);
    ~TitleBar() override;

    void setTitle(const QString& title);
    QString title() const;
    QLabel* titleLabel() const { return title_; }
    QLabel* icon() const { return icon_; }
    ImageButton* closeButton() const { return close_; }
    ImageButton* minimiseButton() const { return minimise_; }
    ImageButton* optionsButton() const { return options_; }
    QMenu* windowMenu() const { return menu_; }
    // The window menu at a global position (the icon's click, or the Alt key at the window's
    // corner + (10, 10)).
    void popupWindowMenu(const QPoint& globalPos);
    void setOutlineDrag(bool on) { outlineDrag_ = on; }
    bool dragging() const { return drag_ != Drag::None && drag_ != Drag::Pressed; }
    // The outline shown while dragging in outline mode (null before the first drag).
    QWidget* outline() const { return outline_; }

    QSize sizeHint() const override;

signals:
    void closeClicked();
    void minimiseClicked();
    void optionsClicked();
    void dragFinished(QPoint oldPos, QPoint newPos);
    void outlineReleased(QPoint oldPos, QPoint newPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void finishSystemMove();
    void showOutline(QPoint topLeft);

    QLabel* icon_;
    QLabel* title_;
    ImageButton* close_;
    ImageButton* minimise_;
    ImageButton* options_;
    QMenu* menu_;
    QAction* minimiseItem_;
    QAction* closeItem_;

    enum class Drag { None, Pressed, Following, System, Outline };
    Drag drag_ = Drag::None;
    QPoint pressGlobal_;
    QPoint startPos_;
    QTimer settle_;  // ends a move the window system carries out
    bool outlineDrag_ = false;
    QWidget* outline_ = nullptr;
    QPoint outlinePos_;
};

// The common look of the small dialogs: no system frame, a fixed client size filled by a
// single-line panel, and a bold blue title line across the top (a label with its own object
// name and language tag). Each time the dialog is shown it is centred on its parent window
// (or the screen) and the language table is applied to it.
// The keys of a dialog with Apply and Cancel: Enter applies, Escape cancels. Returns false
// for any other key, which the dialog then handles as usual.
bool handleApplyCancelKey(QDialog* dialog, QKeyEvent* event, const std::function<void()>& apply);

class SkinnedDialogFrame : public QFrame {
    Q_OBJECT
public:
    SkinnedDialogFrame(QDialog* dialog, QSize clientSize, TextKey title);
    QLabel* title() const { return title_; }

    static void centreOnParent(QWidget* dialog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QDialog* dialog_;
    QLabel* title_;
};

}  // namespace qv
