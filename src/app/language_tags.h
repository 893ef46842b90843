#pragma once
// Every localisable control carries a numeric language tag; showing a window walks its
// controls and sets their texts from the language table by that tag (see applyLanguage).
#include "base/text_keys.h"

#include <QGroupBox>

class QObject;
class QRadioButton;
class QWidget;

namespace qv {

// A tag is a number that says both the key and which text of the control it sets (the rules
// of applyLanguage below); a control is given one through these makers, by the key's name.
struct LanguageTag {
    int number = 0;
};
// The caption of a button, label or group box; for a drop-down list its first four items
// from this key on, for a RadioGroup its two items from this key on.
LanguageTag captionTag(TextKey key);
LanguageTag hintTag(TextKey key);        // the tool tip
LanguageTag fileDialogTag(TextKey key);  // the title of a FileNameEdit's file dialog
LanguageTag menuItemTag(TextKey key);    // the text of a QAction

// The tag is kept as the dynamic property "languageTag"; 0 (or no tag) leaves a control alone.
void setLanguageTag(QObject* object, LanguageTag tag);
int languageTag(const QObject* object);

// Walks every object below `window` (not the window itself); the first matching rule applies:
//  1. QAction, tag >= 9200: text := key (tag - 1200)
//  2. FileNameEdit, tag >= 9100: its dialog title := key (tag - 1100)
//  3. any other object with a "dialogTitle" property (an open-file dialog), tag >= 9000:
//     that property := key (tag - 1000)
//  4. button, label, slider, spin box or line edit, tag >= 8800: tool tip := key (tag - 800)
//  5. QComboBox, tag >= 8200 (Text::FontPage0): its first four items := Text::FontPage0..3
//     (added when missing)
//  6. RadioGroup, tag >= 8112 (Text::ByMobile): its two items := Text::ByMobile and ByFullFlash
//  7. button, label or group box (not a RadioGroup), tag >= 8000: text := key (tag)
// A key the language table does not list leaves the control unchanged.
void applyLanguage(QWidget* window);

// A group box holding exactly two radio buttons, one of which is always selected.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit RadioGroup(QWidget* parent = nullptr);

    QRadioButton* item(int index) const;  // 0 or 1
    void setItems(const QString& first, const QString& second);
    int itemIndex() const;                // 0 or 1
    void setItemIndex(int index);         // 1 selects the second item, anything else the first

private:
    QRadioButton* items_[2];
};

}  // namespace qv
