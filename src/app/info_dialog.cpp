#include "app/info_dialog.h"

#include "app/language_tags.h"
#include "session/phone_session.h"
#include "app/skin.h"
#include "app/title_bar.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace qv {

InfoDialog::InfoDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Info"));
    frame_ = new SkinnedDialogFrame(this, QSize(310, 152), Text::Info);

    auto field = [this](const char* labelName, TextKey caption, const char* editName, int y) {
        auto* l = new QLabel(frame_);
        l->setObjectName(QString::fromLatin1(labelName));
        setLanguageTag(l, captionTag(caption));
        l->setGeometry(16, y, 278, 16);
        auto* e = new QLineEdit(PhoneSession::notLearnt(), frame_);
        e->setObjectName(QString::fromLatin1(editName));
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);  // keys go to the dialog
        e->setGeometry(16, y + 17, 278, 22);
        return e;
    };
    modelEdit = field("modelLabel", Text::Model, "modelEdit", 26);
    versionEdit = field("versionLabel", Text::Version, "versionEdit", 70);

    const QImage closeNormal = skin::dialogCloseImage(false);
    closeButton = new ImageButton(closeNormal, skin::dialogCloseImage(true), frame_);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    setLanguageTag(closeButton, hintTag(Text::InfoClose));
    closeButton->move((310 - closeNormal.width()) / 2, 122);
    connect(closeButton, &QAbstractButton::clicked, this, &QDialog::accept);
}

QString InfoDialog::model() const { return modelEdit->text(); }

QString InfoDialog::version() const { return versionEdit->text(); }

void InfoDialog::setValues(const QString& model, const QString& version) {
    modelEdit->setText(model);
    versionEdit->setText(version);
}

void InfoDialog::setBusy(bool busy) {
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void InfoDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Space:
        accept();
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

}  // namespace qv
