#pragma once
// The small pieces the main window's editors are built of: control makers, the row painters
// of the melody and string lists, and the drop-down that names a melody.
#include <QComboBox>
#include <QFont>
#include <QStyle>
#include <QStyledItemDelegate>
#include <functional>

class QLabel;
class QLineEdit;
class QToolButton;

namespace qv {

// A flat tool button with a standard icon and a hint from the language table (tag >= 8800).
QToolButton* toolButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon, int hintTag);
// A plain label; with a caption tag (8000..8799) its text comes from the language table.
QLabel* infoLabel(QWidget* parent, const char* name, QRect geometry, int captionTag = 0);
QLineEdit* lineEdit(QWidget* parent, const char* name, QRect geometry, int maxLength, int hintTag);

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
