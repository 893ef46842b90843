#pragma once
// "About...": the program's name, version and notice; closes on its close image or any key.
#include <QDialog>

namespace qv {

class ImageButton;
class SkinnedDialogFrame;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    static QString notice();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    SkinnedDialogFrame* frame_;
    ImageButton* closeButton;
};

}  // namespace qv
