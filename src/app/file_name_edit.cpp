#include "app/file_name_edit.h"

#include "app/dialog_service.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QToolButton>

namespace qv {

FileNameEdit::FileNameEdit(QWidget* parent) : QLineEdit(parent), chooser_(chooseFileWithDialog) {
    button_ = new QToolButton(this);
    button_->setObjectName(QStringLiteral("browseButton"));
    button_->setText(QStringLiteral("..."));
    button_->setCursor(Qt::ArrowCursor);
    button_->setFocusPolicy(Qt::NoFocus);
    connect(button_, &QToolButton::clicked, this, &FileNameEdit::browse);
}

void FileNameEdit::setDefaultSuffix(const QString& suffix) {
    QString s = suffix;
    if (s.startsWith(u'*')) s.remove(0, 1);
    if (s.startsWith(u'.')) s.remove(0, 1);
    defaultSuffix_ = s;
}

void FileNameEdit::setChooser(Chooser chooser) {
    chooser_ = chooser ? std::move(chooser) : Chooser(chooseFileWithDialog);
}

FileRequest FileNameEdit::request() const {
    FileRequest r;
    r.title = dialogTitle_;
    r.filter = qtFileFilter(filter_);
    r.defaultSuffix = defaultSuffix_;
    // Start where the current file lies when that folder exists, else in the start folder.
    const QFileInfo current(text().trimmed());
    if (!text().trimmed().isEmpty() && current.absoluteDir().exists())
        r.directory = current.absolutePath();
    else
        r.directory = QDir(startDir_.isEmpty() ? QStringLiteral(".") : startDir_).absolutePath();
    return r;
}

void FileNameEdit::browse() {
    emit beforeDialog();
    const QString chosen = chooser_(this, request());
    if (chosen.isEmpty()) return;
    setText(chosen);
    emit fileChosen(chosen);
}

void FileNameEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    const int side = height();
    button_->setGeometry(width() - side, 0, side, side);
    setTextMargins(0, 0, side, 0);
}

QString chooseFileWithDialog(QWidget* parent, const FileRequest& request) {
    QFileDialog dialog(parent, request.title, request.directory, request.filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

}  // namespace qv
