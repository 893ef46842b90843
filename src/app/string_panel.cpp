#include "app/string_panel.h"

#include "app/check_list_model.h"
#include "app/dialog_service.h"
#include "app/editor_widgets.h"
#include "app/language_tags.h"
#include "app/list_batch_actions.h"
#include "app/progress_dialog.h"
#include "base/cp1251.h"
#include "base/language_table.h"
#include "editors/edit_operations.h"
#include "editors/item_views.h"
#include "editors/phone_text.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalBlocker>

namespace qv {

namespace {
constexpr QChar kLineBreak(0x00B6);  // "¶", the phone's line break in cp1251 text
}  // namespace

StringPanel::StringPanel(const PanelContext& context, CheckListModel* model, QWidget* window)
    : ModePanel(window), ws_(context.workspace), dialogs_(context.dialogs), stringModel_(model) {
    setObjectName("stringPanel");
    stringList = checkList(this, "stringList", stringModel_);
    connect(stringList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& i) { if (i.isValid()) selectString(i.row()); });
    context.batchActions.attach(stringList, ListKind::Strings);
    stringList->setItemDelegate(new StringRowDelegate(
        [this](int row) { return row < ws_.rowCount(ListKind::Strings) ? int(ws_.image().strings[size_t(row)].fontAttribute) : -1; },
        stringList));
    lengthCaption = infoLabel(this, "lengthCaption", QRect(276, 252, 110, 18));
    lengthLabel = infoLabel(this, "lengthLabel", QRect(386, 252, 100, 18));
    buildEditor();
}

void StringPanel::buildEditor() {
    searchLabel = infoLabel(this, "searchLabel", QRect(276, 100, 200, 18), Text::SearchString);
    searchEdit = lineEdit(this, "searchEdit", QRect(276, 120, 180, 24), 10, Text::SearchHint);
    searchStateLabel = infoLabel(this, "searchStateLabel", QRect(462, 122, 96, 20));
    stringEditLabel = infoLabel(this, "stringEditLabel", QRect(276, 156, 200, 18), Text::EditString);
    stringEdit = lineEdit(this, "stringEdit", QRect(276, 176, 250, 24), 256, Text::EditSelectedString);
    lineBreakButton = new QPushButton(QString(kLineBreak), this);
    lineBreakButton->setObjectName("lineBreakButton");
    lineBreakButton->setGeometry(530, 176, 28, 24);
    lineBreakButton->setFocusPolicy(Qt::NoFocus);
    setLanguageTag(lineBreakButton, hintTag(Text::InsertLineFeed));
    lineBreakButton->setToolTip(langText(Text::InsertLineFeed));
    fontPageCombo = new QComboBox(this);
    fontPageCombo->setObjectName("fontPageCombo");
    fontPageCombo->setGeometry(276, 212, 150, 24);
    setLanguageTag(fontPageCombo, captionTag(Text::FontPage0));
    for (TextKey key : {Text::FontPage0, Text::FontPage1, Text::FontPage2, Text::FontPage3}) fontPageCombo->addItem(langText(key));
    applyStringButton = new QPushButton(QStringLiteral("Ok"), this);
    applyStringButton->setObjectName("applyStringButton");
    applyStringButton->setGeometry(436, 212, 60, 24);
    setLanguageTag(applyStringButton, hintTag(Text::Apply));
    applyStringButton->setToolTip(langText(Text::Apply));

    connect(stringEdit, &QLineEdit::textEdited, this, [this] { stringEdited(); });
    connect(lineBreakButton, &QPushButton::clicked, this, &StringPanel::insertLineBreak);
    connect(fontPageCombo, &QComboBox::currentIndexChanged, this, &StringPanel::fontPageChanged);
    connect(searchEdit, &QLineEdit::textChanged, this, &StringPanel::searchChanged);
    connect(applyStringButton, &QPushButton::clicked, this, &StringPanel::applyStringClicked);
}

std::optional<PanelList> StringPanel::list() const {
    return PanelList{stringList, stringModel_, ListKind::Strings, "string", false};
}

bool StringPanel::opens() const { return !ws_.image().isReversedOrderModel(); }

void StringPanel::rowsDeleted(const std::vector<int>&) { emit stringApplied(); }

void StringPanel::selectRow(int row) { stringList->setCurrentIndex(stringModel_->index(row)); }

void StringPanel::fill(ProgressDialog& progress) {
    coding_.rebuild(ws_.image().charMap);
    const int rows = ws_.rowCount(ListKind::Strings);
    progress.setMaximum(rows);
    progress.setText(langText(Text::LoadingStrings));
    QStringList texts;
    texts.reserve(rows);
    QByteArray text;
    for (int i = 0; i < rows; ++i) {
        if (!stringOfRow(ws_, coding_, i, text)) text.clear();
        texts << fromCp1251(text);
        if ((i & 255) == 0) {
            progress.setPosition(i + 1);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }
    stringModel_->reset(texts, &ws_.ticks(ListKind::Strings));
    searchStateLabel->clear();
    if (rows > 0) stringList->setCurrentIndex(stringModel_->index(0));
}

void StringPanel::enter() {
    show();
    if (stringList->currentIndex().isValid()) selectString(stringList->currentIndex().row());
    stringList->setFocus();
}

void StringPanel::showNoSelection() {
    stringEdit->clear();
    for (QLabel* l : {lengthCaption, lengthLabel}) l->clear();
    applyStringButton->setEnabled(false);
    lineBreakButton->setEnabled(false);
}

int StringPanel::currentRow() const { return currentListRow(stringList, ws_, ListKind::Strings); }

void StringPanel::selectString(int row) {
    if (row < 0 || row >= ws_.rowCount(ListKind::Strings)) return;
    const StrEntry& e = ws_.image().strings[size_t(row)];
    applyStringButton->setEnabled(true);
    lineBreakButton->setEnabled(true);
    lengthCaption->setText(langText(Text::StringLengthPrefix));
    lengthLabel->setText(QString::number(e.length));
    stringEdit->setText(stringModel_->data(stringModel_->index(row), Qt::DisplayRole).toString());
    const QSignalBlocker quiet(fontPageCombo);
    fontPageCombo->setCurrentIndex(e.fontAttribute < fontPageCombo->count() ? e.fontAttribute : -1);
}

// Typing (or pasting) keeps to what the phone can show: a character outside its code page
// goes at once, and the text never grows longer than the string: what was just typed before
// the caret goes.
void StringPanel::stringEdited() {
    const int row = currentRow();
    if (row < 0) return;
    const int length = ws_.image().strings[size_t(row)].length;
    QString text = stringEdit->text();
    int caret = stringEdit->cursorPosition();
    dropUnshowable(text, caret);
    while (text.size() > length && caret > 0) text.remove(--caret, 1);
    if (text != stringEdit->text()) {
        stringEdit->setText(text);
        stringEdit->setCursorPosition(caret);
    }
}

void StringPanel::insertLineBreak() {
    const int row = currentRow();
    if (row < 0) return;
    QString text = stringEdit->text();
    if (text.size() < ws_.image().strings[size_t(row)].length) {
        const int caret = stringEdit->cursorPosition();
        text.insert(caret, kLineBreak);
        stringEdit->setText(text);
        stringEdit->setCursorPosition(caret + 1);  // typing goes on after the break
    }
    stringEdit->setFocus();
}

// The page chosen is part of the edit: Ok stores it with the text; until then the list and the
// file keep the string's own page.
void StringPanel::fontPageChanged(int) { stringEdit->setFocus(); }

void StringPanel::searchChanged(const QString& text) {
    const int row = findStringRow(stringModel_->texts(), text);
    // Without a match the row stays current, but no longer shows as found.
    searchStateLabel->setText(row < 0 ? langText(Text::SearchNotFound) : QString());
    if (row < 0) {
        stringList->selectionModel()->clearSelection();
        return;
    }
    stringList->setCurrentIndex(stringModel_->index(row));
    stringList->scrollTo(stringModel_->index(row));
    stringEdit->setText(stringModel_->data(stringModel_->index(row), Qt::DisplayRole).toString());
}

void StringPanel::applyStringClicked() {
    const int row = currentRow();
    if (row < 0) return;
    const QString text = stringEdit->text();
    // Text that did not come from typing (a search, a program) is checked here: nothing is
    // stored while it holds a character the phone cannot show.
    if (const QString bad = unshowableCharacters(text); !bad.isEmpty()) {
        dialogs_.showError(QStringLiteral("The string holds characters the phone cannot show: %1").arg(bad),
                           langText(Text::Attention));
        return;
    }
    const int page = fontPageCombo->currentIndex() >= 0 ? fontPageCombo->currentIndex()
                                                        : ws_.image().strings[size_t(row)].fontAttribute;
    const Result s = applyString(ws_, coding_, row, toCp1251(text), page);
    if (!s) {
        dialogs_.showError(s.message(), langText(Text::Attention));
        return;
    }
    stringModel_->setText(row, text);
    stringModel_->ticksChanged();
    emit stringApplied();  // a melody named by this string shows the new text
    stringList->setFocus();
}

}  // namespace qv
