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
    stringList->setItemDelegate(new StringRowDelegate(
        [this](int row) { return row < ws_.rowCount(ListKind::Strings) ? int(ws_.image().strings[size_t(row)].fontAttribute) : -1; },
        stringList));
    searchLabel = infoLabel(this, "searchLabel", QRect(276, 100, 200, 18), 8052);
    searchEdit = lineEdit(this, "searchEdit", QRect(276, 120, 180, 24), 10, 8853);
    stringEditLabel = infoLabel(this, "stringEditLabel", QRect(276, 156, 200, 18), 8051);
    stringEdit = lineEdit(this, "stringEdit", QRect(276, 176, 250, 24), 256, 8846);
    lineBreakButton = new QPushButton(QString(kLineBreak), this);
    lineBreakButton->setObjectName("lineBreakButton");
    lineBreakButton->setGeometry(530, 176, 28, 24);
    lineBreakButton->setFocusPolicy(Qt::NoFocus);
    setLanguageTag(lineBreakButton, 8847);
    lineBreakButton->setToolTip(langText(Text::InsertLineFeed));
    fontPageCombo = new QComboBox(this);
    fontPageCombo->setObjectName("fontPageCombo");
    fontPageCombo->setGeometry(276, 212, 150, 24);
    setLanguageTag(fontPageCombo, 8200);
    for (TextKey key : {Text::FontPage0, Text::FontPage1, Text::FontPage2, Text::FontPage3}) fontPageCombo->addItem(langText(key));
    applyStringButton = new QPushButton(QStringLiteral("Ok"), this);
    applyStringButton->setObjectName("applyStringButton");
    applyStringButton->setGeometry(436, 212, 60, 24);
    setLanguageTag(applyStringButton, 8848);
    applyStringButton->setToolTip(langText(Text::Apply));

    connect(stringEdit, &QLineEdit::textEdited, this, [this] { stringEdited(); });
    connect(lineBreakButton, &QPushButton::clicked, this, &MainWindow::insertLineBreak);
    connect(fontPageCombo, &QComboBox::currentIndexChanged, this, &MainWindow::fontPageChanged);
    connect(searchEdit, &QLineEdit::textChanged, this, &MainWindow::searchChanged);
    connect(applyStringButton, &QPushButton::clicked, this, &MainWindow::applyStringClicked);
}

void MainWindow::selectString(int row) {
    if (row < 0 || row >= ws_.rowCount(ListKind::Strings)) return;
    const StrEntry& e = ws_.image().strings[size_t(row)];
    applyStringButton->setEnabled(true);
    lineBreakButton->setEnabled(true);
    scaledSizeLabel->setText(langText(Text::StringLengthPrefix));
    byteSizeLabel->setText(QString::number(e.length));
    stringEdit->setText(stringModel_->data(stringModel_->index(row), Qt::DisplayRole).toString());
    const QSignalBlocker quiet(fontPageCombo);
    fontPageCombo->setCurrentIndex(e.fontAttribute < fontPageCombo->count() ? e.fontAttribute : -1);
}

// Typing (or pasting) keeps to what the phone can show: a character outside its code page
// goes at once, and the text never grows longer than the string: what was just typed before
// the caret goes.
void MainWindow::stringEdited() {
    const int row = currentRow(ListKind::Strings);
    if (row < 0) return;
    const int length = ws_.image().strings[size_t(row)].length;
    QString text = stringEdit->text();
    int caret = stringEdit->cursorPosition();
    for (int i = int(text.size()) - 1; i >= 0; --i)
        if (!phoneCanShow(text[i])) {
            text.remove(i, 1);
            if (i < caret) --caret;
        }
    while (text.size() > length && caret > 0) text.remove(--caret, 1);
    if (text != stringEdit->text()) {
        stringEdit->setText(text);
        stringEdit->setCursorPosition(caret);
    }
}

void MainWindow::insertLineBreak() {
    const int row = currentRow(ListKind::Strings);
    if (row < 0) return;
    QString text = stringEdit->text();
    if (text.size() < ws_.image().strings[size_t(row)].length) {
        const int caret = stringEdit->cursorPosition();
        text.insert(caret, kLineBreak);
        stringEdit->setText(text);
        stringEdit->setCursorPosition(caret);
    }
    stringEdit->setFocus();
}

void MainWindow::fontPageChanged(int index) {
    const int row = currentRow(ListKind::Strings);
    if (row < 0 || index < 0) return;
    ws_.image().strings[size_t(row)].fontAttribute = uint8_t(index);
    stringList->viewport()->update();
    stringEdit->setFocus();
}

void MainWindow::searchChanged(const QString& text) {
    const int row = findStringRow(stringTexts(), text);
    if (row < 0) return;
    stringList->setCurrentIndex(stringModel_->index(row));
    stringList->scrollTo(stringModel_->index(row));
    stringEdit->setText(stringModel_->data(stringModel_->index(row), Qt::DisplayRole).toString());
}

void MainWindow::applyStringClicked() {
    const int row = currentRow(ListKind::Strings);
    if (row < 0) return;
    const QString text = stringEdit->text();
    // Text that did not come from typing (a search, a program) is checked here: nothing is
    // stored while it holds a character the phone cannot show.
    if (const QString bad = unshowable(text); !bad.isEmpty()) {
        dialogs().showError(QStringLiteral("The string holds characters the phone cannot show: %1").arg(bad),
                            langText(Text::Attention));
        return;
    }
    const Result s = applyString(ws_, coding_, row, toCp1251(text), ws_.image().strings[size_t(row)].fontAttribute);
    if (!s) {
        dialogs().showError(s.message(), langText(Text::Attention));
        return;
    }
    stringModel_->setText(row, text);
    stringModel_->ticksChanged();
    melodyList->viewport()->update();  // a melody named by this string shows the new text
    stringList->setFocus();
}

}  // namespace qv
