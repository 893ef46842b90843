#pragma once
// The small pieces the main window's editors are built of: control makers, the row painters
// of the picture, melody and string lists, and the drop-down that names a melody.
#include "base/text_keys.h"

#include <QComboBox>
#include <QFont>
#include <QStyle>
#include <QStyledItemDelegate>
#include <functional>

#include <optional>

class QLabel;
class QLineEdit;
class QListView;
class QToolButton;

namespace qv {

class CheckListModel;
class ThumbnailStore;

// A flat tool button with a standard icon and a hint from the language table.
QToolButton* toolButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon, TextKey hint);
// A plain label; with a caption its text comes from the language table.
QLabel* infoLabel(QWidget* parent, const char* name, QRect geometry, std::optional<TextKey> caption = std::nullopt);
QLineEdit* lineEdit(QWidget* parent, const char* name, QRect geometry, int maxLength, TextKey hint);
// The list of a mode, left of the window under the mode bar, over `model`.
QListView* checkList(QWidget* parent, const char* name, CheckListModel* model);

// The picture list: 72-pixel rows with the thumbnail and the size text.
class PictureRowDelegate final : public QStyledItemDelegate {
public:
    PictureRowDelegate(ThumbnailStore& thumbs, QObject* parent) : QStyledItemDelegate(parent), thumbs_(thumbs) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The row's own tick box takes the click: a left click on it ticks or unticks the row once
    // (the press and a double click are swallowed so the list does not act on them too), and
    // Space on the focused row does the same.
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    static QRect tickBox(const QRect& row) { return {row.left() + 3, row.top() + 28, 16, 16}; }

    ThumbnailStore& thumbs_;
};

// Melody rows show a text the window works out (the naming string's text, when there is one).
class MelodyRowDelegate final : public QStyledItemDelegate {
public:
    using TextOf = std::function<QString(int row)>;
    MelodyRowDelegate(TextOf textOf, QObject* parent) : QStyledItemDelegate(parent), textOf_(std::move(textOf)) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    TextOf textOf_;
};

// The look of a string's font page 0..3 (Arial, Arial Narrow, Arial Black, Arial bold, or the
// nearest sans fonts the system has); any other page keeps `listFont`.
QFont stringPageFont(int page, const QFont& listFont);

// String rows, each drawn in the font of its page.
class StringRowDelegate final : public QStyledItemDelegate {
public:
    using PageOf = std::function<int(int row)>;
    StringRowDelegate(PageOf pageOf, QObject* parent) : QStyledItemDelegate(parent), pageOf_(std::move(pageOf)) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    PageOf pageOf_;
};

// A drop-down list that says when its list closes, chosen or not.
class NameChooser final : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void hidePopup() override;

signals:
    void closed();
};

}  // namespace qv
