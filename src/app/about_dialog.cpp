#include "app/about_dialog.h"

#include "app/language_tags.h"
#include "app/skin.h"
#include "app/title_bar.h"
#include "base/language_table.h"
#include "quorvanta_version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>

namespace qv {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("About"));
    // The dialog grows with the notice, so that no line of it is cut off whatever the font.
    constexpr int kWidth = 300, kTextLeft = 14, kTextWidth = kWidth - 2 * kTextLeft, kTextTop = 80;
    const auto heightOf = [this](const QString& text) {
        return QFontMetrics(font())
                   .boundingRect(QRect(0, 0, kTextWidth, 10000), Qt::TextWordWrap | Qt::AlignHCenter, text)
                   .height() + 4;
    };
    const int textHeight = heightOf(notice());
    const int licenceTop = kTextTop + textHeight + 6;
    const int licenceHeight = heightOf(licence());
    const QImage closeNormal = skin::dialogCloseImage(false);
    const int buttonTop = licenceTop + licenceHeight + 8;
    frame_ = new SkinnedDialogFrame(this, QSize(kWidth, buttonTop + closeNormal.height() + 10), Text::About);

    auto* name = new QLabel(QStringLiteral("Quorvanta"), frame_);
    name->setObjectName(QStringLiteral("ProgramName"));
    QFont big = name->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    name->setGeometry(10, 26, kWidth - 20, 30);

    auto* version = new QLabel(frame_);
    version->setObjectName(QStringLiteral("ProgramVersion"));
    version->setText(langText(Text::Version) + QStringLiteral(" " QV_VERSION));
    version->setAlignment(Qt::AlignCenter);
    version->setGeometry(10, 58, kWidth - 20, 18);

    auto* text = new QLabel(notice(), frame_);
    text->setObjectName(QStringLiteral("Notice"));
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    text->setGeometry(kTextLeft, kTextTop, kTextWidth, textHeight);

    auto* licenceText = new QLabel(licence(), frame_);
    licenceText->setObjectName(QStringLiteral("Licence"));
    licenceText->setWordWrap(true);
    licenceText->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    licenceText->setTextInteractionFlags(Qt::TextSelectableByMouse);  // the path can be copied
    licenceText->setGeometry(kTextLeft, licenceTop, kTextWidth, licenceHeight);

    closeButton = new ImageButton(closeNormal, skin::dialogCloseImage(true), frame_);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    setLanguageTag(closeButton, hintTag(Text::AboutClose));
    closeButton->move((kWidth - closeNormal.width()) / 2, buttonTop);
    connect(closeButton, &QAbstractButton::clicked, this, &QDialog::accept);
}

QString AboutDialog::notice() {
    return QStringLiteral(
        "A service tool for the media of feature phones: pictures, melodies, operator names "
        "and texts, read from the phone, edited and written back.\n"
        "Keep a copy of every service file you write to a phone.");
}

QString AboutDialog::licence() {
    return langText(Text::LicenceNotice) + u'\n' + licenceFile();
}

QString AboutDialog::licenceFile() {
    // The Windows copies carry the text beside the program; Debian's package points to the
    // system's common licences, as its copyright file does.
    const QDir programDir(QCoreApplication::applicationDirPath());
    for (const char* name : {"LICENSE.txt", "LICENSE"}) {
        if (programDir.exists(QLatin1StringView(name)))
            return QDir::toNativeSeparators(programDir.absoluteFilePath(QLatin1StringView(name)));
    }
    const QString common = QStringLiteral("/usr/share/common-licenses/GPL-3");
    if (QFile::exists(common)) return common;
    return QStringLiteral("https://www.gnu.org/licenses/gpl-3.0.html");
}

void AboutDialog::keyPressEvent(QKeyEvent* event) {
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
