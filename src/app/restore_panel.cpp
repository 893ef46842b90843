#include "app/restore_panel.h"

#include "app/editor_widgets.h"
#include "app/file_name_edit.h"
#include "app/language_tags.h"

#include <QLabel>
#include <QToolButton>

namespace qv {

RestorePanel::RestorePanel(QWidget* window) : ModePanel(window) {
    setObjectName("restorePanel");
    restoreCaption = infoLabel(this, "restoreCaption", QRect(20, 110, 300, 20));
    setLanguageTag(restoreCaption, captionTag(Text::PathToRestoreFile));
    restoreFileEdit = new FileNameEdit(this);
    restoreFileEdit->setObjectName("restoreFileEdit");
    restoreFileEdit->setGeometry(20, 134, 420, 26);
    restoreFileEdit->setFilter(QStringLiteral("Patch files|*.flp"));
    setLanguageTag(restoreFileEdit, fileDialogTag(Text::OpenRestorePatchFile));
    applyPatchButton = toolButton(this, "applyPatchButton", QStyle::SP_DialogApplyButton, Text::Confirmation);
    applyPatchButton->move(450, 132);
    connect(applyPatchButton, &QToolButton::clicked, this, &RestorePanel::applyPatchRequested);
}

QString RestorePanel::patchPath() const { return restoreFileEdit->text().trimmed(); }

}  // namespace qv
