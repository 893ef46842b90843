#include "app/operator_panel.h"

#include "app/check_list_model.h"
#include "app/dialog_service.h"
#include "app/editor_widgets.h"
#include "base/cp1251.h"
#include "base/language_table.h"
#include "editors/edit_operations.h"
#include "editors/item_views.h"
#include "editors/list_texts.h"
#include "editors/phone_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QToolButton>
#include <span>

namespace qv {

namespace {

QString hex(unsigned value, int digits) { return QString::number(value, 16).toUpper().rightJustified(digits, u'0'); }

// "Operator code - 0250-01    RUS"
QString operatorInfo(const MediaImage& image, const OperRecord& r) {
    QByteArray country;
    if (r.code0 < kCountryCapacity) {
        const auto& c = image.countries[r.code0].bytes;
        country = QByteArray(reinterpret_cast<const char*>(c.data() + 1), std::min<int>(c[0], 6));
    }
    return langText(Text::OperatorCodePrefix) + QLatin1Char(' ') + hex(r.code0, 4) + QLatin1Char('-') + hex(r.code1 & 0xFF, 2) +
           QStringLiteral("    ") + fromCp1251(country);
}

// A name field as shown: up to its first zero byte and at most `most` characters.
template <typename Field>
QString shownName(const Field& field, int most) {
    return fromCp1251(nameUpToZero(field.data(), field.size()).left(most));
}

}  // namespace

OperatorPanel::OperatorPanel(const PanelContext& context, CheckListModel* model, QWidget* window)
    : ModePanel(window), ws_(context.workspace), dialogs_(context.dialogs), operatorModel_(model) {
    setObjectName("operatorPanel");
    operatorList = checkList(this, "operatorList", operatorModel_);
    connect(operatorList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& i) { if (i.isValid()) selectOperator(i.row()); });

    operatorInfoLabel = infoLabel(this, "operatorInfoLabel", QRect(276, 96, 284, 20));
    operatorCodeLabel = infoLabel(this, "operatorCodeLabel", QRect(276, 126, 200, 18), Text::OperatorCode);
    operatorCodeEdit = lineEdit(this, "operatorCodeEdit", QRect(276, 144, 44, 24), 2, Text::CodeOfTheOperator);
    name1Label = infoLabel(this, "name1Label", QRect(276, 176, 200, 18), Text::OperatorName1);
    name1 = lineEdit(this, "name1", QRect(276, 194, 284, 24), 10, Text::TheFirstNameOfTheOperator);
    name2Label = infoLabel(this, "name2Label", QRect(276, 226, 200, 18), Text::OperatorName2);
    name2 = lineEdit(this, "name2", QRect(276, 244, 284, 24), 25, Text::TheSecondNameOfTheOperator);
    name3Label = infoLabel(this, "name3Label", QRect(276, 276, 200, 18), Text::OperatorName3);
    name3 = lineEdit(this, "name3", QRect(276, 294, 284, 24), 50, Text::TheThirdNameOfTheOperator);
    applyOperatorButton = toolButton(this, "applyOperatorButton", QStyle::SP_DialogApplyButton, Text::Confirmation);
    applyOperatorButton->move(276, 330);
    connect(applyOperatorButton, &QToolButton::clicked, this, &OperatorPanel::applyOperatorClicked);
    for (int k = 0; k < 3; ++k) {
        // The field itself never cuts: a paste longer than the limit stays whole, for Apply to
        // refuse with the limit named, instead of losing its end unseen.
        nameEdit(k)->setMaxLength(32767);
        connect(nameEdit(k), &QLineEdit::textEdited, this, [this, k] { nameEdited(k); });
    }
}

QLineEdit* OperatorPanel::nameEdit(int k) const { return k == 0 ? name1 : k == 1 ? name2 : name3; }

std::optional<PanelList> OperatorPanel::list() const {
    return PanelList{operatorList, operatorModel_, ListKind::Operators, "operator", true};
}

void OperatorPanel::fill(ProgressDialog&) {
    QStringList texts;
    loadOperatorRecords(ws_);
    const int rows = ws_.rowCount(ListKind::Operators);
    for (int i = 0; i < rows; ++i) texts << operatorRowText(ws_.image().operRecords[size_t(i)]);
    operatorModel_->reset(texts, &ws_.ticks(ListKind::Operators));
    if (rows > 0) operatorList->setCurrentIndex(operatorModel_->index(0));
}

void OperatorPanel::enter() {
    // The names may be as long as the phone's operator format allows, within their fields.
    const OperFormat& f = ws_.image().operFormat;
    nameLimits_[0] = std::min<int>(f.name1Length, 30);
    nameLimits_[1] = std::min<int>(f.name2Length, 50);
    nameLimits_[2] = std::min<int>(f.name3Length, 100);
    show();
    if (operatorList->currentIndex().isValid()) selectOperator(operatorList->currentIndex().row());
    operatorList->setFocus();
}

void OperatorPanel::showNoSelection() {
    for (QLineEdit* e : {operatorCodeEdit, name1, name2, name3}) e->clear();
    operatorInfoLabel->clear();
    applyOperatorButton->setEnabled(false);
}

int OperatorPanel::currentRow() const { return currentListRow(operatorList, ws_, ListKind::Operators); }

void OperatorPanel::selectOperator(int row) {
    if (row < 0 || row >= ws_.rowCount(ListKind::Operators)) return;
    const OperRecord& r = ws_.image().operRecords[size_t(row)];
    // A name longer than the field's limit (it can only come from the phone) shows up to 11,
    // 26 and 51 characters; typing can shorten what shows, never lengthen it.
    const QString names[] = {shownName(r.name1, kOperatorNameShown[0]), shownName(r.name2, kOperatorNameShown[1]),
                             shownName(r.name3, kOperatorNameShown[2])};
    for (int k = 0; k < 3; ++k) {
        typingLimits_[k] = std::max<int>(nameLimits_[k], int(names[k].size()));
        nameEdit(k)->setText(names[k]);
        typed_[k] = names[k];
    }
    applyOperatorButton->setEnabled(true);
    operatorCodeEdit->setText(hex(r.code1 & 0xFF, 2));
    operatorInfoLabel->setText(operatorInfo(ws_.image(), r));
}

// Typing keeps to what the phone can show, as in the string editor, and stops at the limit:
// one character more than the limit goes again at once.
void OperatorPanel::nameEdited(int k) {
    QLineEdit* edit = nameEdit(k);
    QString text = edit->text();
    int caret = edit->cursorPosition();
    dropUnshowable(text, caret);
    if (text.size() > typingLimits_[k] && text.size() == typed_[k].size() + 1 && caret > 0) text.remove(--caret, 1);
    if (text != edit->text()) {
        edit->setText(text);
        edit->setCursorPosition(caret);
    }
    typed_[k] = text;
}

// The bytes Apply stores for name field k: the stored name itself while the field shows it
// unchanged (so a name longer than what shows keeps its end), else the text as typed.
QByteArray OperatorPanel::nameToStore(int k, const OperRecord& r) const {
    const std::span<const uint8_t> field = k == 0 ? std::span<const uint8_t>(r.name1)
                                           : k == 1 ? std::span<const uint8_t>(r.name2)
                                                    : std::span<const uint8_t>(r.name3);
    const QByteArray stored = nameUpToZero(field.data(), field.size());
    const QString text = nameEdit(k)->text();
    return text == fromCp1251(stored.left(kOperatorNameShown[k])) ? stored : toCp1251(text);
}

void OperatorPanel::applyOperatorClicked() {
    const int row = currentRow();
    if (row < 0) return;
    // Text that did not come from typing is checked here: nothing is stored while a name holds
    // a character the phone cannot show.
    for (int k = 0; k < 3; ++k)
        if (const QString bad = unshowableCharacters(nameEdit(k)->text()); !bad.isEmpty()) {
            dialogs_.showError(langText(Text::OperatorNameUnshowable).arg(k + 1).arg(bad), langText(Text::Attention));
            return;
        }
    const OperRecord& before = ws_.image().operRecords[size_t(row)];
    const Result s = applyOperator(ws_, row, operatorCodeEdit->text(), nameToStore(0, before), nameToStore(1, before),
                                   nameToStore(2, before));
    if (!s) {
        dialogs_.showError(s.message(), langText(Text::Attention));
        return;
    }
    const OperRecord& r = ws_.image().operRecords[size_t(row)];
    operatorModel_->setText(row, operatorRowText(r));
    operatorModel_->ticksChanged();
    operatorCodeEdit->setText(hex(r.code1 & 0xFF, 2));
    operatorInfoLabel->setText(operatorInfo(ws_.image(), r));
}

}  // namespace qv
