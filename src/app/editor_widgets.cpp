#include "app/editor_widgets.h"

#include "app/check_list_model.h"
#include "app/language_tags.h"
#include "base/language_table.h"
#include "editors/thumbnail_store.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

namespace qv {

QToolButton* toolButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon, TextKey hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setIconSize(QSize(22, 22));
    b->setAutoRaise(true);
    b->setFixedSize(34, 30);
    setLanguageTag(b, hintTag(hint));
    return b;
}

QLabel* infoLabel(QWidget* parent, const char* name, QRect geometry, std::optional<TextKey> caption) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    if (caption) {
        setLanguageTag(l, captionTag(*caption));
        l->setText(langText(*caption));
    }
    return l;
}

QLineEdit* lineEdit(QWidget* parent, const char* name, QRect geometry, int maxLength, TextKey hint) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(geometry);
    e->setMaxLength(maxLength);
    setLanguageTag(e, hintTag(hint));
    e->setToolTip(langText(hint));
    return e;
}

QListView* checkList(QWidget* parent, const char* name, CheckListModel* model) {
    auto* v = new QListView(parent);
    v->setObjectName(name);
    v->setModel(model);
    v->setUniformItemSizes(true);
    v->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v->setGeometry(10, 92, 250, 340);
    // A view inside a mode panel can keep a layout pending for good, and then skips the repaint
    // of dataChanged: ticks a phone task or an import changed would show only after the next
    // click. Repainting on every change keeps the boxes true to the workspace.
    QObject::connect(model, &QAbstractItemModel::dataChanged, v->viewport(), [v] { v->viewport()->update(); });
    return v;
}

QSize PictureRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), 72};
}

void PictureRowDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    p->fillRect(option.rect, selected ? QColor(0, 0, 160) : option.palette.base().color());
    const QRect box(option.rect.left() + 22, option.rect.top() + 12, 48, 48);
    thumbs_.draw(*p, box.left(), box.top(), index.row());
    QStyleOptionButton check;
    check.rect = tickBox(option.rect);
    check.state = QStyle::State_Enabled |
                  (index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
    QApplication::style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &check, p);
    p->setPen(selected ? Qt::white : option.palette.text().color());
    p->drawText(QRect(box.right() + 10, option.rect.top(), option.rect.width() - 90, 72), Qt::AlignVCenter,
                index.data().toString());
}

bool PictureRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) {
    if (!(index.flags() & Qt::ItemIsUserCheckable) || !(index.flags() & Qt::ItemIsEnabled)) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !tickBox(option.rect).contains(mouse->position().toPoint()))
            return false;
        if (event->type() != QEvent::MouseButtonRelease) return true;
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select) return false;
        break;
    }
    default:
        return false;
    }
    const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    return model->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
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
