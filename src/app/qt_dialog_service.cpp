#include "app/qt_dialog_service.h"

#include "app/create_mem_dialog.h"

#include <QFileDialog>
#include <QMessageBox>

namespace qv {

QString qtFileFilter(const QString& filter) {
    // "Text|*.txt|Pictures|*.bmp;*.png" -> "Text (*.txt);;Pictures (*.bmp *.png)"
    const QStringList parts = filter.split(u'|');
    if (filter.trimmed().isEmpty()) return {};
    QStringList out;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QStringLiteral("*");
        patterns.replace(u';', u' ');
        patterns = patterns.simplified();
        if (patterns.isEmpty()) patterns = QStringLiteral("*");
        const QString bracketed = QStringLiteral("(%1)").arg(patterns);
        // "Service file (*.sav)|*.sav" already shows its patterns.
        if (description.endsWith(bracketed))
            out << description;
        else if (description.isEmpty())
            out << bracketed;
        else
            out << QStringLiteral("%1 %2").arg(description, bracketed);
    }
    return out.join(QStringLiteral(";;"));
}

QtDialogService::QtDialogService(QWidget* parent, const QString& settingsPath)
    : parent_(parent), settingsPath_(settingsPath) {}

bool QtDialogService::askYesNo(const QString& text, const QString& caption) {
    return QMessageBox::question(parent_, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}

void QtDialogService::showMessage(const QString& text, const QString& caption) {
    QMessageBox::information(parent_, caption, text);
}

void QtDialogService::showWarning(const QString& text, const QString& caption) {
    QMessageBox::warning(parent_, caption, text);
}

void QtDialogService::showError(const QString& text, const QString& caption) {
    QMessageBox::critical(parent_, caption, text);
}

QString QtDialogService::chooseOpenFile(const QString& title, const QString& filter, const QString& directory) {
    return QFileDialog::getOpenFileName(parent_, title, directory, qtFileFilter(filter));
}

QString QtDialogService::chooseSaveFile(const QString& title, const QString& filter, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent_, title, suggested, qtFileFilter(filter));
}

int QtDialogService::chooseDataFileSource() { return CreateMemDialog::ask(parent_, settingsPath_); }

QString QtDialogService::chooseFolder(const QString& title, const QString& directory) {
    return QFileDialog::getExistingDirectory(parent_, title, directory);
}

void QtDialogService::showErrorDetails(const QString& text, const QString& caption, const QString& details) {
    // The details pane of a message box scrolls and lets the user select and copy the list.
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, parent_);
    box.setDetailedText(details);
    box.exec();
}

}  // namespace qv
