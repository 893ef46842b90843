// The string editor: searching, editing within the string's length, line breaks, the font
// page, and applying the text to the phone's string table.
#include "app/editor_widgets.h"
#include "app/language_tags.h"
#include "app/main_window.h"
#include "base/cp1251.h"
#include "base/language_table.h"
#include "editors/edit_operations.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalBlocker>

namespace qv {

namespace {
constexpr QChar kLineBreak(0x00B6);  // "¶", the phone's line break in cp1251 text

bool phoneCanShow(QChar c) { return charToCp1251(c) >= 0; }

// The characters of `text` the phone cannot show, each once, in order.
QString unshowable(const QString& text) {
    QString found;
    for (QChar c : text)
        if (!phoneCanShow(c) && !found.contains(c)) found += c;
    return found;
}
}  // namespace

void MainWindow::buildStringEditor() {
    spisok_s->setItemDelegate(new StringRowDelegate(
        [this](int row) { return row < ws_.rowCount(ListKind::Strings) ? int(ws_.image().strings[size_t(row)].fontAttribute) : -1; },
        spisok_s));
    findstr_l = infoLabel(this, "findstr_l", QRect(276, 100, 200, 18), 8052);
    findstr = lineEdit(this, "findstr", QRect(276, 120, 180, 24), 10, 8853);
    editstr_l = infoLabel(this, "editstr_l", QRect(276, 156, 200, 18), 8051);
    editstr = lineEdit(this, "editstr", QRect(276, 176, 250, 24), 256, 8846);
    cr_but = new QPushButton(QString(kLineBreak), this);
    cr_but->setObjectName("cr_but");
    cr_but->setGeometry(530, 176, 28, 24);
    cr_but->setFocusPolicy(Qt::NoFocus);
    setLanguageTag(cr_but, 8847);
    cr_but->setToolTip(langText("8047"));
    atr_combo = new QComboBox(this);
    atr_combo->setObjectName("atr_combo");
    atr_combo->setGeometry(276, 212, 150, 24);
    setLanguageTag(atr_combo, 8200);
    for (const char* key : {"8200", "8201", "8202", "8203"}) atr_combo->addItem(langText(key));
    apply_but = new QPushButton(QStringLiteral("Ok"), this);
    apply_but->setObjectName("apply_but");
    apply_but->setGeometry(436, 212, 60, 24);
    setLanguageTag(apply_but, 8848);
    apply_but->setToolTip(langText("8048"));

    connect(editstr, &QLineEdit::textEdited, this, [this] { editstrEdited(); });
    connect(cr_but, &QPushButton::clicked, this, &MainWindow::cr_butClick);
    connect(atr_combo, &QComboBox::currentIndexChanged, this, &MainWindow::atr_comboChange);
    connect(findstr, &QLineEdit::textChanged, this, &MainWindow::findstrChange);
    connect(apply_but, &QPushButton::clicked, this, &MainWindow::apply_butClick);
}

void MainWindow::selectString(int row) {
    if (row < 0 || row >= ws_.rowCount(ListKind::Strings)) return;
    const StrEntry& e = ws_.image().strings[size_t(row)];
    apply_but->setEnabled(true);
    cr_but->setEnabled(true);
    razr2->setText(langText("072"));
    dlina_us->setText(QString::number(e.length));
    editstr->setText(stringModel_->data(stringModel_->index(row), Qt::DisplayRole).toString());
    const QSignalBlocker quiet(atr_combo);
    atr_combo->setCurrentIndex(e.fontAttribute < atr_combo->count() ? e.fontAttribute : -1);
}

// Typing (or pasting) keeps to what the phone can show: a character outside its code page
// goes at once, and the text never grows longer than the string: what was just typed before
// the caret goes.
void MainWindow::editstrEdited() {
    const int row = currentRow(ListKind::Strings);
    if (row < 0) return;
    const int length = ws_.image().strings[size_t(row)].length;
    QString text = editstr->text();
    int caret = editstr->cursorPosition();
    for (int i = int(text.size()) - 1; i >= 0; --i)
        if (!phoneCanShow(text[i])) {
            text.remove(i, 1);
            if (i < caret) --caret;
        }
    while (text.size() > length && caret > 0) text.remove(--caret, 1);
    if (text != editstr->text()) {
        editstr->setText(text);
        editstr->setCursorPosition(caret);
    }
}

void MainWindow::cr_butClick() {
    const int row = currentRow(ListKind::Strings);
    if (row < 0) return;
    QString text = editstr->text();
    if (text.size() < ws_.image().strings[size_t(row)].length) {
        const int caret = editstr->cursorPosition();
        text.insert(caret, kLineBreak);
        editstr->setText(text);
        editstr->setCursorPosition(caret);
    }
    editstr->setFocus();
}

void MainWindow::atr_comboChange(int index) {
    const int row = currentRow(ListKind::Strings);
    if (row < 0 || index < 0) return;
    ws_.image().strings[size_t(row)].fontAttribute = uint8_t(index);
    spisok_s->viewport()->update();
    editstr->setFocus();
}

void MainWindow::findstrChange(const QString& text) {
    const int row = findStringRow(stringTexts(), text);
    if (row < 0) return;
    spisok_s->setCurrentIndex(stringModel_->index(row));
    spisok_s->scrollTo(stringModel_->index(row));
    editstr->setText(stringModel_->data(stringModel_->index(row), Qt::DisplayRole).toString());
}

void MainWindow::apply_butClick() {
    const int row = currentRow(ListKind::Strings);
    if (row < 0) return;
    const QString text = editstr->text();
    // Text that did not come from typing (a search, a program) is checked here: nothing is
    // stored while it holds a character the phone cannot show.
    if (const QString bad = unshowable(text); !bad.isEmpty()) {
        dialogs().showError(QStringLiteral("The string holds characters the phone cannot show: %1").arg(bad),
                            langText("016"));
        return;
    }
    const Status s = applyString(ws_, coding_, row, toCp1251(text), ws_.image().strings[size_t(row)].fontAttribute);
    if (!s) {
        dialogs().showError(s.message(), langText("016"));
        return;
    }
    stringModel_->setText(row, text);
    stringModel_->ticksChanged();
    spisok->viewport()->update();  // a melody named by this string shows the new text
    spisok_s->setFocus();
}

}  // namespace qv
