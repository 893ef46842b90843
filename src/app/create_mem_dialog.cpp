#include "app/create_mem_dialog.h"

#include "app/language_tags.h"
#include "app/skin.h"
#include "app/title_bar.h"
#include "base/language_table.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>

namespace qv {

CreateMemDialog::CreateMemDialog(const QString& settingsPath, QWidget* parent) : QDialog(parent), settingsPath_(settingsPath) {
    setObjectName(QStringLiteral("CreateMEM"));
    frame_ = new SkinnedDialogFrame(this, QSize(242, 137), Text::CreateMEMFile);
    settings_ = Settings::load(settingsPath_);

    sourceGroup = new RadioGroup(frame_);
    sourceGroup->setObjectName(QStringLiteral("sourceGroup"));
    setLanguageTag(sourceGroup, captionTag(Text::ByMobile));
    sourceGroup->setItems(langText(Text::ByMobile), langText(Text::ByFullFlash));
    sourceGroup->setGeometry(12, 24, 218, 72);

    // The close image continues with the choice, the cross beside it cancels.
    const QImage closeNormal = skin::dialogCloseImage(false);
    const int middle = 242 / 2;
    closePlate = new QLabel(frame_);
    closePlate->setObjectName(QStringLiteral("closePlate"));
    closePlate->setPixmap(QPixmap::fromImage(skin::buttonPlate(closeNormal.size() + QSize(8, 8))));
    closePlate->setGeometry(middle - 4 - closeNormal.width() - 8, 101, closeNormal.width() + 8, closeNormal.height() + 8);

    closeButton = new ImageButton(closeNormal, skin::dialogCloseImage(true), frame_);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setToolTip(QStringLiteral("Close"));
    closeButton->move(closePlate->x() + 4, 105);
    connect(closeButton, &QAbstractButton::clicked, this, &QDialog::accept);

    cancelButton = new ImageButton(skin::cancelImage(false), skin::cancelImage(true), frame_);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    setLanguageTag(cancelButton, hintTag(Text::CreateMemCancel));
    cancelButton->setToolTip(langText(Text::CreateMemCancel));
    cancelButton->move(middle + 4, 103);
    connect(cancelButton, &QAbstractButton::clicked, this, &QDialog::reject);
}

int CreateMemDialog::ask(QWidget* parent, const QString& settingsPath) {
    CreateMemDialog dialog(settingsPath, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.choice() : -1;
}

int CreateMemDialog::choice() const { return sourceGroup->itemIndex(); }

void CreateMemDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The file may have been edited by hand since the program started.
    settings_ = Settings::load(settingsPath_);
    sourceGroup->setItemIndex(settings_.mem == 1 ? 1 : 0);
}

void CreateMemDialog::done(int result) {
    if (result == QDialog::Accepted) {
        settings_.mem = uint8_t(choice());
        if (Result s = settings_.save(settingsPath_); !s) reportSaveError(s.message());
    }
    QDialog::done(result);
}

void CreateMemDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        break;
    case Qt::Key_Escape:
        reject();
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CreateMemDialog::reportSaveError(const QString& message) { QMessageBox::critical(this, langText(Text::CreateMEMFile), message); }

}  // namespace qv
