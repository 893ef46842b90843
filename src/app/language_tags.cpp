#include "app/language_tags.h"

#include "app/file_name_edit.h"
#include "base/language_table.h"

#include <optional>
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qv {
namespace {

constexpr const char* kTagProperty = "languageTag";

// A tag lies this far above its key's number, by what it sets; captions carry the key itself.
constexpr int kHintOffset = 800;
constexpr int kDialogTitleOffset = 1000;  // any object with a "dialogTitle" property
constexpr int kFileDialogOffset = 1100;
constexpr int kMenuItemOffset = 1200;
// The language table's keys of controls start here; below it no tag does anything.
constexpr int kFirstControlKey = 8000;

int keyNumber(TextKey key) { return QString::fromLatin1(key.key).toInt(); }

// The text of a numbered key, or nothing when the table does not list that key.
std::optional<QString> keyText(int key) {
    const QString name = QString::number(key);
    if (LanguageTable::slotOfKey(name) < 0) return std::nullopt;
    return languageTable().text(name);
}

bool takesHint(const QObject* o) {
    return qobject_cast<const QAbstractButton*>(o) || qobject_cast<const QLabel*>(o) ||
           qobject_cast<const QAbstractSlider*>(o) || qobject_cast<const QAbstractSpinBox*>(o) ||
           qobject_cast<const QLineEdit*>(o);
}

void setCaption(QObject* o, const QString& text) {
    if (auto* b = qobject_cast<QAbstractButton*>(o))
        b->setText(text);
    else if (auto* l = qobject_cast<QLabel*>(o))
        l->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(o))
        g->setTitle(text);
}

bool takesCaption(const QObject* o) {
    return qobject_cast<const QAbstractButton*>(o) || qobject_cast<const QLabel*>(o) ||
           (qobject_cast<const QGroupBox*>(o) && !qobject_cast<const RadioGroup*>(o));
}

void applyTo(QObject* o, int tag) {
    if (auto* action = qobject_cast<QAction*>(o)) {
        if (tag < kFirstControlKey + kMenuItemOffset) return;
        if (const auto text = keyText(tag - kMenuItemOffset)) action->setText(*text);
        return;
    }
    if (auto* edit = qobject_cast<FileNameEdit*>(o); edit && tag >= kFirstControlKey + kFileDialogOffset) {
        if (const auto text = keyText(tag - kFileDialogOffset)) edit->setDialogTitle(*text);
        return;
    }
    if (tag >= kFirstControlKey + kDialogTitleOffset && !qobject_cast<FileNameEdit*>(o) &&
        o->property("dialogTitle").isValid()) {
        if (const auto text = keyText(tag - kDialogTitleOffset)) o->setProperty("dialogTitle", *text);
        return;
    }
    if (tag >= kFirstControlKey + kHintOffset && takesHint(o)) {
        if (const auto text = keyText(tag - kHintOffset)) static_cast<QWidget*>(o)->setToolTip(*text);
        return;
    }
    if (auto* combo = qobject_cast<QComboBox*>(o); combo && tag >= keyNumber(Text::FontPage0)) {
        QString text;
        for (int i = 0; i < 4; ++i) {
            text = keyText(keyNumber(Text::FontPage0) + i).value_or(text);
            if (i < combo->count())
                combo->setItemText(i, text);
            else
                combo->addItem(text);
        }
        return;
    }
    if (auto* group = qobject_cast<RadioGroup*>(o); group && tag >= keyNumber(Text::ByMobile)) {
        group->setItems(langText(Text::ByMobile), langText(Text::ByFullFlash));
        return;
    }
    if (tag < kFirstControlKey || !takesCaption(o)) return;
    if (const auto text = keyText(tag)) setCaption(o, *text);
}

}  // namespace

LanguageTag captionTag(TextKey key) { return {keyNumber(key)}; }

LanguageTag hintTag(TextKey key) { return {keyNumber(key) + kHintOffset}; }

LanguageTag fileDialogTag(TextKey key) { return {keyNumber(key) + kFileDialogOffset}; }

LanguageTag menuItemTag(TextKey key) { return {keyNumber(key) + kMenuItemOffset}; }

void setLanguageTag(QObject* object, LanguageTag tag) { object->setProperty(kTagProperty, tag.number); }

int languageTag(const QObject* object) { return object->property(kTagProperty).toInt(); }

void applyLanguage(QWidget* window) {
    const QList<QObject*> all = window->findChildren<QObject*>();
    for (QObject* o : all) {
        const int tag = languageTag(o);
        if (tag >= kFirstControlKey) applyTo(o, tag);
    }
}

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* exclusive = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        items_[i] = new QRadioButton(this);
        items_[i]->setObjectName(QStringLiteral("item%1").arg(i));
        exclusive->addButton(items_[i], i);
        layout->addWidget(items_[i]);
    }
    items_[0]->setChecked(true);
}

QRadioButton* RadioGroup::item(int index) const { return items_[index == 1 ? 1 : 0]; }

void RadioGroup::setItems(const QString& first, const QString& second) {
    items_[0]->setText(first);
    items_[1]->setText(second);
}

int RadioGroup::itemIndex() const { return items_[1]->isChecked() ? 1 : 0; }

void RadioGroup::setItemIndex(int index) { item(index)->setChecked(true); }

}  // namespace qv
