#pragma once
// CreateMEM: asks whether a missing data file is to be made by reading the phone (0) or from
// flash dump files (1). Its close image and Enter continue: the selected choice is stored as
// MEM, the settings file is saved and the result is Accepted. Its cancel cross and Escape
// store nothing and reject.
#include "files/settings.h"

#include <QDialog>

class QLabel;

namespace qv {

class ImageButton;
class RadioGroup;
class SkinnedDialogFrame;

class CreateMemDialog : public QDialog {
    Q_OBJECT
public:
    explicit CreateMemDialog(const QString& settingsPath, QWidget* parent = nullptr);

    // Shows the dialog modally and returns the choice (also saved in the settings file), or -1
    // when cancelled.
    static int ask(QWidget* parent, const QString& settingsPath);

    int choice() const;                                  // 0 "by Mobile", 1 "by FullFlash"
    const Settings& settings() const { return settings_; }  // as saved on closing

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;  // reloads the settings, selects MEM
    void keyPressEvent(QKeyEvent* event) override;
    // Shows a failed save; the dialog closes anyway. Tests replace it.
    virtual void reportSaveError(const QString& message);

private:
    QString settingsPath_;
    Settings settings_;
    SkinnedDialogFrame* frame_;
    RadioGroup* sourceGroup;
    QLabel* closePlate;
    ImageButton* closeButton;
    ImageButton* cancelButton;
};

}  // namespace qv
