#pragma once
// "Display options": the transparency and the background and text colours of the main
// window's see-through display. Apply (the check image or Enter) copies the values into the
// settings and saves them; Cancel (the cross or Escape) changes nothing.
#include <QColor>
#include <QDialog>
#include <functional>

class QLabel;
class QSlider;
class QToolButton;

namespace qv {

struct Settings;
class ImageButton;
class SkinnedDialogFrame;

class DisplayOptionsDialog : public QDialog {
    Q_OBJECT
public:
    // Returns the chosen colour, or an invalid one when the user cancelled.
    using ColorChooser = std::function<QColor(const QColor& initial, QWidget* parent, const QString& title)>;

    DisplayOptionsDialog(Settings& settings, const QString& settingsPath, QWidget* parent = nullptr);
    ~DisplayOptionsDialog() override;

    // True while a display options dialog exists; the main window clears it when the
    // application loses the focus.
    static bool displayOptionsOpen();
    static void clearDisplayOptionsOpen();

    void setColorChooser(ColorChooser chooser);  // an empty chooser restores the colour dialog

    int transparency() const;
    QColor backColor() const { return back_; }
    QColor textColor() const { return text_; }

public slots:
    void apply();  // copies, saves and closes (a failed save is reported; the values stay)
    void chooseBackColor();
    void chooseTextColor();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    virtual void reportSaveError(const QString& message);

private:
    void showColors();

    Settings& settings_;
    QString settingsPath_;
    QColor back_;
    QColor text_;
    ColorChooser chooser_;
    SkinnedDialogFrame* frame_;
    QSlider* transparencySlider;
    QLabel* transparencyValue;
    QToolButton* BackColorButton;
    QToolButton* TextColorButton;
    ImageButton* applyButton;
    ImageButton* cancelButton;
};

}  // namespace qv
