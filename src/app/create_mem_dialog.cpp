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
    frame_ = new SkinnedDialogFrame(this, QSize(242, 137), QStringLiteral("Label1"), 8110);
    settings_ = Settings::load(settingsPath_);

    RadioGroup1 = new RadioGroup(frame_);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    setLanguageTag(RadioGroup1, 8112);
    RadioGroup1->setItems(langText(Text::ByMobile), langText(Text::ByFullFlash));
    RadioGroup1->setGeometry(12, 24, 218, 72);

    const QImage closeNormal = skin::dialogCloseImage(false);
    Image10 = new QLabel(frame_);
    Image10->setObjectName(QStringLiteral("Image10"));
    Image10->setPixmap(QPixmap::fromImage(skin::buttonPlate(closeNormal.size() + QSize(8, 8))));
    Image10->setGeometry((242 - closeNormal.width() - 8) / 2, 101, closeNormal.width() + 8, closeNormal.height() + 8);

    Image8 = new ImageButton(closeNormal, skin::dialogCloseImage(true), frame_);
    Image8->setObjectName(QStringLiteral("Image8"));
    Image8->setToolTip(QStringLiteral("Close"));
    Image8->move((242 - closeNormal.width()) / 2, 105);
    connect(Image8, &QAbstractButton::clicked, this, &QDialog::accept);
}

int CreateMemDialog::ask(QWidget* parent, const QString& settingsPath) {
    CreateMemDialog dialog(settingsPath, parent);
    dialog.exec();
    return dialog.choice();
}

int CreateMemDialog::choice() const { return RadioGroup1->itemIndex(); }

void CreateMemDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The file may have been edited by hand since the program started.
    settings_ = Settings::load(settingsPath_);
    RadioGroup1->setItemIndex(settings_.mem == 1 ? 1 : 0);
}

void CreateMemDialog::done(int) {
    settings_.mem = uint8_t(choice());
    if (Result s = settings_.save(settingsPath_); !s) reportSaveError(s.message());
    QDialog::done(QDialog::Accepted);
}

void CreateMemDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        accept();
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CreateMemDialog::reportSaveError(const QString& message) { QMessageBox::critical(this, langText(Text::CreateMEMFile), message); }

}  // namespace qv
