#include "app/editor_widgets.h"

#include "app/language_tags.h"
#include "base/language_table.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace qv {

QToolButton* toolButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon, int hintTag) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setIconSize(QSize(22, 22));
    b->setAutoRaise(true);
    b->setFixedSize(34, 30);
    setLanguageTag(b, hintTag);
    return b;
}

QLabel* infoLabel(QWidget* parent, const char* name, QRect geometry, int captionTag) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    if (captionTag) {
        setLanguageTag(l, captionTag);
        l->setText(languageTable().text(QString::number(captionTag)));
    }
    return l;
}

QLineEdit* lineEdit(QWidget* parent, const char* name, QRect geometry, int maxLength, int hintTag) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(geometry);
    e->setMaxLength(maxLength);
    setLanguageTag(e, hintTag);
    e->setToolTip(languageTable().text(QString::number(hintTag - 800)));
    return e;
}

namespace {
// Rows hold one line of the tallest of the page fonts.
constexpr int kStringRowHeight = 18;
}  // namespace

QSize MelodyRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QSize s = QStyledItemDelegate::sizeHint(option, index);
    return {s.width(), std::max(s.height(), option.fontMetrics.height() + 4)};
}

void MelodyRowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->text = textOf_(index.row());
}

QFont stringPageFont(int page, const QFont& listFont) {
    QFont f(listFont);
    switch (page) {
    case 0:
        f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                       QStringLiteral("DejaVu Sans")});
        f.setPointSize(10);
        f.setWeight(QFont::Normal);
        break;
    case 1:
        f.setFamilies({QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow"),
                       QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("DejaVu Sans Condensed")});
        f.setPointSize(10);
        f.setWeight(QFont::Normal);
        break;
    case 2:
        f.setFamilies({QStringLiteral("Arial Black"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                       QStringLiteral("DejaVu Sans")});
        f.setPointSize(9);
        f.setWeight(QFont::Black);
        break;
    case 3:
        f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                       QStringLiteral("DejaVu Sans")});
        f.setPointSize(9);
        f.setWeight(QFont::Bold);
        break;
    default:
        break;
    }
    return f;
}

QSize StringRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width(), kStringRowHeight};
}

void StringRowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->font = stringPageFont(pageOf_(index.row()), option->font);
    option->fontMetrics = QFontMetrics(option->font);
}

void NameChooser::hidePopup() {
    QComboBox::hidePopup();
    emit closed();
}

}  // namespace qv
