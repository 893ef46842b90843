#pragma once
// The real dialogs behind DialogService: message boxes, file dialogs and CreateMEM.
#include "app/dialog_service.h"

#include <QPointer>
#include <QWidget>

namespace qv {

class QtDialogService : public DialogService {
public:
    // The dialogs open over `parent`; CreateMEM reads and writes `settingsPath`.
    QtDialogService(QWidget* parent, const QString& settingsPath);

    bool askYesNo(const QString& text, const QString& caption) override;
    void showMessage(const QString& text, const QString& caption) override;
    void showError(const QString& text, const QString& caption) override;
    void showWarning(const QString& text, const QString& caption) override;
    QString chooseOpenFile(const QString& title, const QString& filter, const QString& directory) override;
    QString chooseSaveFile(const QString& title, const QString& filter, const QString& suggested) override;
    int chooseDataFileSource() override;
    QString chooseFolder(const QString& title, const QString& directory) override;
    void showErrorDetails(const QString& text, const QString& caption, const QString& details) override;

private:
    QPointer<QWidget> parent_;
    QString settingsPath_;
};

}  // namespace qv
