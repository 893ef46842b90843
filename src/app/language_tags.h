#pragma once
// Every localisable control carries a numeric language tag; showing a window walks its
// controls and sets their texts from the language table by that tag (see applyLanguage).
#include <QGroupBox>

class QObject;
class QRadioButton;
class QWidget;

namespace qv {

// The tag is kept as the dynamic property "languageTag"; 0 (or no tag) leaves a control alone.
void setLanguageTag(QObject* object, int tag);
int languageTag(const QObject* object);

// Walks every object below `window` (not the window itself); the first matching rule applies:
//  1. QAction, tag >= 9200: text := key (tag - 1200)
//  2. FileNameEdit, tag >= 9100: its dialog title := key (tag - 1100)
//  3. any other object with a "dialogTitle" property (an open-file dialog), tag >= 9000:
//     that property := key (tag - 1000)
//  4. button, label, slider, spin box or line edit, tag >= 8800: tool tip := key (tag - 800)
//  5. QComboBox, tag >= 8200: its first four items := keys 8200..8203 (added when missing)
//  6. RadioGroup, tag >= 8112: its two items := keys 8112 and 8113
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
