// The language walk: which property of which control a tag sets.
#include "app/file_name_edit.h"
#include "app/language_tags.h"
#include "base/language_table.h"
#include "support/test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <functional>
#include <gtest/gtest.h>

using namespace qv;

namespace {

enum class Prop { Text, Tip, DialogTitle, Items };

QString read(QObject* o, Prop prop) {
    switch (prop) {
    case Prop::Tip:
        return static_cast<QWidget*>(o)->toolTip();
    case Prop::DialogTitle:
        return o->property("dialogTitle").toString();
    case Prop::Items:
        if (auto* c = qobject_cast<QComboBox*>(o)) {
            QStringList items;
            for (int i = 0; i < c->count(); ++i) items << c->itemText(i);
            return items.join(u'|');
        }
        if (auto* g = qobject_cast<RadioGroup*>(o)) return g->item(0)->text() + u'|' + g->item(1)->text();
        return {};
    case Prop::Text:
        if (auto* a = qobject_cast<QAction*>(o)) return a->text();
        if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
        if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
        if (auto* g = qobject_cast<QGroupBox*>(o)) return g->title();
        if (auto* e = qobject_cast<QLineEdit*>(o)) return e->text();
        if (auto* s = qobject_cast<QAbstractSpinBox*>(o)) return s->text();
        return {};
    }
    return {};
}

template <typename W>
QObject* widget(QWidget* parent) {
    auto* w = new W(parent);
    w->setToolTip("keep");
    if constexpr (std::is_base_of_v<QAbstractButton, W> || std::is_base_of_v<QLabel, W> ||
                  std::is_base_of_v<QLineEdit, W>)
        w->setText("keep");
    if constexpr (std::is_base_of_v<QGroupBox, W>) w->setTitle("keep");
    return w;
}

QObject* spinBox(QWidget* parent) {
    auto* s = new QSpinBox(parent);
    s->setToolTip("keep");
    s->setValue(5);
    return s;
}

QObject* combo(QWidget* parent, int items) {
    auto* c = new QComboBox(parent);
    for (int i = 0; i < items; ++i) c->addItem("keep");
    return c;
}

QObject* radioGroup(QWidget* parent) {
    auto* g = new RadioGroup(parent);
    g->setTitle("keep");
    g->setItems("keep", "keep");
    return g;
}

QObject* action(QWidget* parent) { return new QAction("keep", parent); }

QObject* openDialogStandIn(QWidget* parent) {
    auto* o = new QObject(parent);
    o->setProperty("dialogTitle", "keep");
    return o;
}

QObject* fileNameEdit(QWidget* parent) {
    auto* e = new FileNameEdit(parent);
    e->setDialogTitle("keep");
    e->setToolTip("keep");
    e->setText("keep");
    return e;
}

struct TagCase {
    const char* what;
    std::function<QObject*(QWidget*)> make;
    int tag;
    Prop changed;
    QString expected;  // what `changed` reads after the walk
    Prop kept;
    QString keptValue;
};

class LanguageTags : public ::testing::Test {
protected:
    void TearDown() override { languageTable().loadDefaults(); }
};

TEST_F(LanguageTags, EachRuleSetsOnlyItsPropertyOfItsKinds) {
    const QString keep = "keep";
    const std::vector<TagCase> cases = {
        {"spin box hint", spinBox, 8824, Prop::Tip, "Scale X", Prop::Text, "5"},
        {"label caption", widget<QLabel>, 8007, Prop::Text, "Operator name #1", Prop::Tip, keep},
        {"label hint", widget<QLabel>, 8813, Prop::Tip, "Information", Prop::Text, keep},
        {"mode button caption", widget<QPushButton>, 8030, Prop::Text, "Images", Prop::Tip, keep},
        {"push button hint", widget<QPushButton>, 8817, Prop::Tip, "Display options", Prop::Text, keep},
        {"check box caption", widget<QCheckBox>, 8069, Prop::Text, "Keyboard Locked", Prop::Tip, keep},
        {"edit hint", widget<QLineEdit>, 8853, Prop::Tip, "Search string", Prop::Text, keep},
        {"edit below the hint range", widget<QLineEdit>, 8053, Prop::Text, keep, Prop::Tip, keep},
        {"slider hint", widget<QSlider>, 8880, Prop::Tip, "Transparency", Prop::Tip, "Transparency"},
        {"group box caption", widget<QGroupBox>, 8029, Prop::Text, "Mode", Prop::Tip, keep},
        {"file field dialog title", fileNameEdit, 9168, Prop::DialogTitle, "Path to player", Prop::Tip, keep},
        {"file field below 9100 is an edit", fileNameEdit, 8846, Prop::Tip, "Edit selected string",
         Prop::DialogTitle, keep},
        {"open dialog title", openDialogStandIn, 9036, Prop::DialogTitle, "Picture", Prop::DialogTitle, "Picture"},
        {"menu item", action, 9238, Prop::Text, "Minimize", Prop::Text, "Minimize"},
        {"menu item below 9200", action, 8038, Prop::Text, keep, Prop::Text, keep},
        {"combo box items", [](QWidget* p) { return combo(p, 4); }, 8200, Prop::Items,
         "Normal|Shrink|Normal+Bold|Shrink+Bold", Prop::Items, "Normal|Shrink|Normal+Bold|Shrink+Bold"},
        {"short combo box grows to four", [](QWidget* p) { return combo(p, 1); }, 8200, Prop::Items,
         "Normal|Shrink|Normal+Bold|Shrink+Bold", Prop::Items, "Normal|Shrink|Normal+Bold|Shrink+Bold"},
        {"radio group items", radioGroup, 8112, Prop::Items, "by Mobile|by FullFlash", Prop::Text, keep},
        {"radio group is no caption", radioGroup, 8110, Prop::Text, keep, Prop::Items, "keep|keep"},
        {"key the table lacks", widget<QLabel>, 9240, Prop::Tip, keep, Prop::Text, keep},
        {"below 8000", widget<QLabel>, 7999, Prop::Text, keep, Prop::Tip, keep},
        {"untagged", widget<QLabel>, 0, Prop::Text, keep, Prop::Tip, keep},
    };
    for (const TagCase& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget window;
        QWidget* inner = new QWidget(new QWidget(&window));  // controls deep inside are reached
        QObject* o = c.make(inner);
        setLanguageTag(o, LanguageTag{c.tag});
        applyLanguage(&window);
        EXPECT_EQ(read(o, c.changed), c.expected);
        EXPECT_EQ(read(o, c.kept), c.keptValue);
    }
}

TEST_F(LanguageTags, TheWindowItselfIsNotAmongItsControls) {
    QLabel window("keep");
    setLanguageTag(&window, captionTag(Text::OperatorName1));
    applyLanguage(&window);
    EXPECT_EQ(window.text(), "keep");
}

TEST_F(LanguageTags, AFileSettingOneKeyChangesOnlyThatControl) {
    qvtest::ScratchDir dir;
    qvtest::writeAll(dir.path("language.ini"), "[Language]\r\n8030=Bilder\r\n");
    languageTable().load(dir.path());

    QWidget window;
    auto* images = new QPushButton(&window);
    auto* melodies = new QPushButton(&window);
    auto* scaleX = new QSpinBox(&window);
    setLanguageTag(images, captionTag(Text::Images));
    setLanguageTag(melodies, captionTag(Text::Melodies));
    setLanguageTag(scaleX, hintTag(Text::ScaleX));
    applyLanguage(&window);
    EXPECT_EQ(images->text(), "Bilder");
    EXPECT_EQ(melodies->text(), "Melodies");
    EXPECT_EQ(scaleX->toolTip(), "Scale X");
}

}  // namespace
