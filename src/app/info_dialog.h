#pragma once
// "Info": the phone's model and software version, read over AT commands while the dialog
// is shown. Both start as "???"; the close image, Enter, Escape and Space close it.
#include <QDialog>

class QLineEdit;

namespace qv {

class ImageButton;
class SkinnedDialogFrame;

class InfoDialog : public QDialog {
    Q_OBJECT
public:
    explicit InfoDialog(QWidget* parent = nullptr);

    QString model() const;
    QString version() const;

public slots:
    void setValues(const QString& model, const QString& version);
    void setBusy(bool busy);  // the busy cursor over the dialog while the phone is asked

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    SkinnedDialogFrame* frame_;
    QLineEdit* modelEdit;
    QLineEdit* versionEdit;
    ImageButton* closeButton;
};

}  // namespace qv
