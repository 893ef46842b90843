#include "app/display_options_dialog.h"

#include "app/language_tags.h"
#include "app/skin.h"
#include "app/title_bar.h"
#include "base/language_table.h"
#include "files/settings.h"

#include <QColorDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QSlider>
#include <QToolButton>

namespace qv {
namespace {

bool g_displayOptionsOpen = false;

QColor chooseWithDialog(const QColor& initial, QWidget* parent, const QString& title) {
    return QColorDialog::getColor(initial, parent, title);
}

QIcon swatch(const QColor& color) {
    QPixmap pm(28, 14);
    pm.fill(color);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    return QIcon(pm);
}

}  // namespace

DisplayOptionsDialog::DisplayOptionsDialog(Settings& settings, const QString& settingsPath, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      settingsPath_(settingsPath),
      back_(colorFromValue(settings.backColor)),
      text_(colorFromValue(settings.color)),
      chooser_(chooseWithDialog) {
    g_displayOptionsOpen = true;
    setObjectName(QStringLiteral("DisplayOptions"));
    frame_ = new SkinnedDialogFrame(this, QSize(369, 150), Text::DisplayOptionsTitle);

    transparencySlider = new QSlider(Qt::Horizontal, frame_);
    transparencySlider->setObjectName(QStringLiteral("transparencySlider"));
    setLanguageTag(transparencySlider, hintTag(Text::DisplayOptionsTransparency));
    transparencySlider->setRange(1, 100);
    transparencySlider->setGeometry(12, 30, 345, 24);
    transparencySlider->setValue(settings.transparency);  // clamped into 1..100 by the slider

    transparencyValue = new QLabel(frame_);
    transparencyValue->setObjectName(QStringLiteral("transparencyValue"));
    transparencyValue->setAlignment(Qt::AlignCenter);
    transparencyValue->setGeometry(12, 54, 345, 16);
    auto showValue = [this](int v) { transparencyValue->setText(QStringLiteral("%1 %").arg(v)); };
    showValue(transparencySlider->value());
    connect(transparencySlider, &QSlider::valueChanged, this, showValue);

    auto colorRow = [this](const char* labelName, TextKey caption, const char* buttonName, int x) {
        auto* l = new QLabel(frame_);
        l->setObjectName(QString::fromLatin1(labelName));
        setLanguageTag(l, captionTag(caption));
        l->setText(langText(caption));
        l->setGeometry(x + 44, 80, 120, 22);
        auto* b = new QToolButton(frame_);
        b->setObjectName(QString::fromLatin1(buttonName));
        b->setIconSize(QSize(28, 14));
        b->setGeometry(x, 80, 40, 22);
        return b;
    };
    BackColorButton = colorRow("backColorLabel", Text::BackgroundColourTitle, "BackColorButton", 24);
    TextColorButton = colorRow("textColorLabel", Text::TextColourTitle, "TextColorButton", 196);
    connect(BackColorButton, &QToolButton::clicked, this, &DisplayOptionsDialog::chooseBackColor);
    connect(TextColorButton, &QToolButton::clicked, this, &DisplayOptionsDialog::chooseTextColor);
    showColors();

    applyButton = new ImageButton(skin::applyImage(false), skin::applyImage(true), frame_);
    applyButton->setObjectName(QStringLiteral("applyButton"));
    setLanguageTag(applyButton, hintTag(Text::DisplayOptionsApply));
    applyButton->move(369 / 2 - 24 - 8, 114);
    cancelButton = new ImageButton(skin::cancelImage(false), skin::cancelImage(true), frame_);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    setLanguageTag(cancelButton, hintTag(Text::DisplayOptionsCancel));
    cancelButton->move(369 / 2 + 8, 114);
    connect(applyButton, &QAbstractButton::clicked, this, &DisplayOptionsDialog::apply);
    connect(cancelButton, &QAbstractButton::clicked, this, &QDialog::reject);
}

DisplayOptionsDialog::~DisplayOptionsDialog() { g_displayOptionsOpen = false; }

bool DisplayOptionsDialog::displayOptionsOpen() { return g_displayOptionsOpen; }

void DisplayOptionsDialog::clearDisplayOptionsOpen() { g_displayOptionsOpen = false; }

void DisplayOptionsDialog::setColorChooser(ColorChooser chooser) {
    chooser_ = chooser ? std::move(chooser) : ColorChooser(chooseWithDialog);
}

int DisplayOptionsDialog::transparency() const { return transparencySlider->value(); }

void DisplayOptionsDialog::chooseBackColor() {
    const QColor c = chooser_(back_, this, langText(Text::BackgroundColourTitle));
    if (c.isValid()) back_ = c;
    showColors();
}

void DisplayOptionsDialog::chooseTextColor() {
    const QColor c = chooser_(text_, this, langText(Text::TextColourTitle));
    if (c.isValid()) text_ = c;
    showColors();
}

void DisplayOptionsDialog::showColors() {
    BackColorButton->setIcon(swatch(back_));
    TextColorButton->setIcon(swatch(text_));
}

void DisplayOptionsDialog::apply() {
    settings_.transparency = transparencySlider->value();
    settings_.backColor = valueFromColor(back_);
    settings_.color = valueFromColor(text_);
    if (Result s = settings_.save(settingsPath_); !s) reportSaveError(s.message());
    accept();
}

void DisplayOptionsDialog::keyPressEvent(QKeyEvent* event) {
    if (!handleApplyCancelKey(this, event, [this] { apply(); })) QDialog::keyPressEvent(event);
}

void DisplayOptionsDialog::reportSaveError(const QString& message) { QMessageBox::critical(this, langText(Text::DisplayOptionsTitle), message); }

}  // namespace qv
