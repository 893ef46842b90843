// The operator editor: the code and three names of the selected network operator.
#include "app/editor_widgets.h"
#include "app/main_window.h"
#include "base/cp1251.h"
#include "base/language_table.h"
#include "editors/edit_operations.h"
#include "editors/list_texts.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QToolButton>

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

void MainWindow::buildOperatorEditor() {
    operatorInfoLabel = infoLabel(this, "operatorInfoLabel", QRect(276, 96, 284, 20));
    operatorCodeLabel = infoLabel(this, "operatorCodeLabel", QRect(276, 126, 200, 18), 8012);
    operatorCodeEdit = lineEdit(this, "operatorCodeEdit", QRect(276, 144, 44, 24), 2, 8828);
    name1_l = infoLabel(this, "name1_l", QRect(276, 176, 200, 18), 8007);
    name1 = lineEdit(this, "name1", QRect(276, 194, 284, 24), 10, 8827);
    name2_l = infoLabel(this, "name2_l", QRect(276, 226, 200, 18), 8008);
    name2 = lineEdit(this, "name2", QRect(276, 244, 284, 24), 25, 8826);
    name3_l = infoLabel(this, "name3_l", QRect(276, 276, 200, 18), 8009);
    name3 = lineEdit(this, "name3", QRect(276, 294, 284, 24), 50, 8825);
    applyOperatorButton = toolButton(this, "applyOperatorButton", QStyle::SP_DialogApplyButton, 8810);
    applyOperatorButton->move(276, 330);
    connect(applyOperatorButton, &QToolButton::clicked, this, &MainWindow::applyOperatorClicked);
}

void MainWindow::selectOperator(int row) {
    if (row < 0 || row >= ws_.rowCount(ListKind::Operators)) return;
    const OperRecord& r = ws_.image().operRecords[size_t(row)];
    // A name longer than the field's limit (it can only come from the phone) shows up to 11,
    // 26 and 51 characters, whole as far as that goes: typing can shorten it, never lengthen
    // it, and Apply writes it back as shown.
    const std::pair<QLineEdit*, QString> names[] = {
        {name1, shownName(r.name1, kOperatorNameShown[0])}, {name2, shownName(r.name2, kOperatorNameShown[1])},
        {name3, shownName(r.name3, kOperatorNameShown[2])}};
    for (int i = 0; i < 3; ++i) {
        names[i].first->setMaxLength(std::max<int>(nameLimits_[i], int(names[i].second.size())));
        names[i].first->setText(names[i].second);
    }
    applyOperatorButton->setEnabled(true);
    operatorCodeEdit->setText(hex(r.code1 & 0xFF, 2));
    operatorInfoLabel->setText(operatorInfo(ws_.image(), r));
}

void MainWindow::applyOperatorClicked() {
    const int row = currentRow(ListKind::Operators);
    if (row < 0) return;
    const Result s = applyOperator(ws_, row, operatorCodeEdit->text(), toCp1251(name1->text()), toCp1251(name2->text()),
                                   toCp1251(name3->text()));
    if (!s) {
        dialogs().showError(s.message(), langText(Text::Attention));
        return;
    }
    const OperRecord& r = ws_.image().operRecords[size_t(row)];
    operatorModel_->setText(row, operatorRowText(r));
    operatorModel_->ticksChanged();
    operatorCodeEdit->setText(hex(r.code1 & 0xFF, 2));
    operatorInfoLabel->setText(operatorInfo(ws_.image(), r));
}

}  // namespace qv
