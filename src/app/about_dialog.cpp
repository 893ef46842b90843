#include "app/about_dialog.h"

#include "app/language_tags.h"
#include "app/skin.h"
#include "app/title_bar.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>

namespace qv {

Tform7::Tform7(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("About"));
    frame_ = new SkinnedDialogFrame(this, QSize(300, 190), QStringLiteral("Label1"), 8100);

    auto* name = new QLabel(QStringLiteral("Quorvanta"), frame_);
    name->setObjectName(QStringLiteral("ProgramName"));
    QFont big = name->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    name->setGeometry(10, 26, 280, 30);

    auto* version = new QLabel(frame_);
    version->setObjectName(QStringLiteral("ProgramVersion"));
    version->setText(QCoreApplication::applicationVersion());
    version->setAlignment(Qt::AlignCenter);
    version->setGeometry(10, 56, 280, 16);

    auto* text = new QLabel(notice(), frame_);
    text->setObjectName(QStringLiteral("Notice"));
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    text->setGeometry(14, 78, 272, 70);

    const QImage closeNormal = skin::dialogCloseImage(false);
    bsatur_n = new ImageButton(closeNormal, skin::dialogCloseImage(true), frame_);
    bsatur_n->setObjectName(QStringLiteral("bsatur_n"));
    setLanguageTag(bsatur_n, 8901);
    bsatur_n->move((300 - closeNormal.width()) / 2, 156);
    connect(bsatur_n, &QAbstractButton::clicked, this, &QDialog::accept);
}

QString Tform7::notice() {
    return QStringLiteral(
        "A service tool for the media of feature phones: pictures, melodies, operator names "
        "and texts, read from the phone, edited and written back.\n"
        "Keep a copy of every service file you write to a phone.");
}

void Tform7::keyPressEvent(QKeyEvent* event) {
    // Modifier keys alone do not count as a key press.
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
        QDialog::keyPressEvent(event);
        return;
    default:
        accept();
    }
}

}  // namespace qv
