#pragma once
// Every question, message and file choice the window's flows need goes through this
// interface: the window answers with real dialogs, tests with a script.
#include <QString>
#include <QStringList>

class QWidget;

namespace qv {

class DialogService {
public:
    virtual ~DialogService() = default;
    // Yes/No question box with a question icon; true for Yes.
    virtual bool askYesNo(const QString& text, const QString& caption) = 0;
    virtual void showMessage(const QString& text, const QString& caption) = 0;
    virtual void showError(const QString& text, const QString& caption) = 0;
    // A refusal the user can mend (another file, another size): a warning icon.
    virtual void showWarning(const QString& text, const QString& caption) { showError(text, caption); }
    // An open-file dialog; empty when cancelled. `filter` like "Service file|*.sav".
    virtual QString chooseOpenFile(const QString& title, const QString& filter, const QString& directory) = 0;
    virtual QString chooseSaveFile(const QString& title, const QString& filter, const QString& suggested) = 0;
    // The CreateMEM dialog: 0 "by Mobile", 1 "by FullFlash", recorded in the settings; -1 when
    // the user cancelled (nothing recorded).
    virtual int chooseDataFileSource() = 0;
    // A folder; empty when cancelled.
    virtual QString chooseFolder(const QString& title, const QString& directory) {
        (void)title, (void)directory;
        return {};
    }
    // An error with a long list behind it (the problems of a refused batch), shown scrollable
    // and copyable.
    virtual void showErrorDetails(const QString& text, const QString& caption, const QString& details) {
        showError(text + QLatin1Char('\n') + details, caption);
    }
};

// Turns "Service file|*.sav" into Qt's "Service file (*.sav)".
QString qtFileFilter(const QString& filter);

}  // namespace qv
