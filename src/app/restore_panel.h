#pragma once
// The restore mode: the patch file that puts the phone's tables back as they were before a
// write, and the button that asks for it to be applied (a phone task, run by the window).
// It needs no service file.
#include "app/mode_panel.h"

class QLabel;
class QToolButton;

namespace qv {

class FileNameEdit;

class RestorePanel final : public ModePanel {
    Q_OBJECT
public:
    explicit RestorePanel(QWidget* window);

    // The patch comes from the phone's own backup: no service file needed.
    bool needsServiceFile() const override { return false; }

    QString patchPath() const;

    QLabel* restoreCaption = nullptr;
    FileNameEdit* restoreFileEdit = nullptr;
    QToolButton* applyPatchButton = nullptr;

signals:
    void applyPatchRequested();
};

}  // namespace qv
