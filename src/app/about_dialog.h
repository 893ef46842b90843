#pragma once
// "About...": the program's name, version, notice and licence; closes on its close image or any key.
#include <QDialog>

namespace qv {

class ImageButton;
class SkinnedDialogFrame;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    static QString notice();
    static QString licence();      // the licence notice and where its full text is
    static QString licenceFile();  // that place: a file beside the program, the system's, or the web

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    SkinnedDialogFrame* frame_;
    ImageButton* closeButton;
};

}  // namespace qv
