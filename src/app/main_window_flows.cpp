// The main window's flows: opening (with building a missing data file), saving, and the
// commands that start phone tasks.
#include "app/check_list_model.h"
#include "app/file_name_edit.h"
#include "app/info_dialog.h"
#include "app/main_window.h"
#include "files/file_places.h"
#include "app/progress_dialog.h"
#include "app/restore_panel.h"
#include "app/setup_com_dialog.h"
#include "base/language_table.h"
#include "files/flash_dump_source.h"
#include "session/phone_write_task.h"
#include "session/restore_patch_task.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QPushButton>
#include <QLabel>
#include <QToolButton>

namespace qv {

void MainWindow::openClicked() { openServiceFile(QString()); }

void MainWindow::openServiceFile(const QString& chosen) {
    phone_.markIdle();
    if (!loadPass(0, chosen)) loadPass(1, ws_.chosenName());
}

bool MainWindow::loadPass(int pass, const QString& preset) {
    QString chosen = preset;
    if (pass == 0 && chosen.isEmpty()) {
        chosen = dialogs().chooseOpenFile(langText(Text::OpenServiceFileHint), QStringLiteral("Service file|*.sav"), QDir::currentPath());
        if (chosen.isEmpty()) return true;
    }
    // A file that cannot be read leaves the open service file as it was.
    if (Result s = ws_.open(chosen); !s) {
        dialogs().showError(s.message(), langText(Text::Attention));
        return true;
    }
    resetWorkspaceView();
    if (ws_.hasDataFile()) {
        fillLists();
        saveButton->show();
        modeBar->setEnabled(true);
        flash->setEnabled(true);
        info->setEnabled(true);
        showImages();
        fileNameLabel->setText(QFileInfo(chosen).fileName());
        return true;
    }
    const int source = dialogs().chooseDataFileSource();
    if (source < 0) {  // cancelled: the table file goes too, nothing is left half open
        ws_.close();
        return true;
    }
    settings_ = Settings::load(options_.settingsPath);  // the dialog stored its choice there
    if (source == 0) {
        if (!dialogs().askYesNo(langText(Text::NoDataFileReadPhone), langText(Text::Attention))) return true;
        const Result read = runPhoneTask(settings_.baudRD, [this](const TaskStartSettings& start) { phone_.startRead(ws_, start); });
        // A read the user cancelled ends the open; asking again at once would overrule the cancel.
        return read.aborted();
    }
    const QString dump1 = dialogs().chooseOpenFile(langText(Text::OpenFile) + " #1", QStringLiteral("BIF files|*.bif"), QDir::currentPath());
    if (dump1.isEmpty()) return true;
    QString dump2;
    if (ws_.image().needsSecondDump()) {
        dump2 = dialogs().chooseOpenFile(langText(Text::OpenFile) + " #2", QStringLiteral("BIF files|*.bif"), QDir::currentPath());
        if (dump2.isEmpty()) return true;
    }
    if (Result s = importFromFlashDumps(ws_, dump1, dump2); !s) {
        dialogs().showError(s.message(), langText(Text::Attention));
        return true;
    }
    return false;
}

void MainWindow::saveClicked() {
    if (!ws_.hasDataFile()) return;
    if (Result s = ws_.save(); !s) dialogs().showError(s.message(), langText(Text::Attention));
}

Result MainWindow::runPhoneTask(uint32_t baud, const std::function<void(const TaskStartSettings&)>& start) {
    const QString loader = options_.loaderPath.isEmpty() ? PhoneSession::defaultLoaderPath() : options_.loaderPath;
    if (Result loaded = phone_.loadLoader(loader); !loaded) {
        dialogs().showError(loaded.message(), langText(Text::ErrorPrefix));
        return Result(ResultCode::CantOpenFile, loaded.detail());
    }
    ProgressDialog progress([this] { phone_.cancel(); }, [this] { phone_.markIdle(); }, this);
    progress.taskRunning = [this] { return phone_.busy(); };
    progress.errorBox = [this](const QString& text, const QString& caption) { dialogs().showError(text, caption); };
    phone_.setProgressListener(&progress);
    progress.show();
    start(TaskStartSettings{settings_.port, baud, settings_.keyLock != 0, options_.keypadWaitMs, [this](int ms) { pumpEvents(ms); }});
    progress.exec();
    // The dialog closes only once the worker has reported; let its last queued calls land.
    while (phone_.busy()) pumpEvents(20);
    QApplication::processEvents();
    lastTaskText_ = progress.barText();
    lastTaskResult_ = phone_.outcome();
    phone_.setProgressListener(nullptr);
    phone_.endTransfer();
    return lastTaskResult_;
}

void MainWindow::flashClicked() {
    if (!ws_.hasDataFile()) return;
    settings_ = Settings::load(options_.settingsPath);
    const QString backup = settings_.restorePatch ? QDir(FilePlaces::current().backupFolder()).filePath(backupFileName(QDateTime::currentDateTime())) : QString();
    const bool verify = settings_.verify != 0;
    runPhoneTask(settings_.baudWR, [&](const TaskStartSettings& start) { phone_.startWrite(ws_, backup, verify, start); });
    for (const ModeSlot& m : modes_)
        if (const auto l = m.panel->list()) l->model->ticksChanged();
}

void MainWindow::applyPatchClicked() {
    const QString path = panel<RestorePanel>()->patchPath();
    if (path.isEmpty()) {
        dialogs().showMessage(langText(Text::NoPatchFileChosen), langText(Text::Attention));
        return;
    }
    if (!QFileInfo::exists(path)) {
        dialogs().showMessage(langText(Text::PatchFileMissing) + QLatin1Char(' ') + QDir::toNativeSeparators(path),
                              langText(Text::Attention));
        return;
    }
    const Expected<std::unique_ptr<QFile>> patch = openRestorePatch(path);
    if (!patch) {
        dialogs().showError(patch.error().message(), langText(Text::ErrorPrefix));
        return;
    }
    settings_ = Settings::load(options_.settingsPath);
    const bool verify = settings_.verify != 0;
    runPhoneTask(settings_.baudWR, [&](const TaskStartSettings& start) { phone_.startRestore(**patch, verify, start); });
}

void MainWindow::infoClicked() {
    InfoDialog dialog(this);
    if (!phone_.infoRunning()) {
        phone_.setInfoFinished([&dialog, this] {
            const QString model = phone_.shownModel(), version = phone_.shownVersion();
            QMetaObject::invokeMethod(&dialog, [&dialog, model, version] {
                dialog.setValues(model, version);
                dialog.setBusy(false);
            }, Qt::QueuedConnection);
        });
        dialog.setValues(PhoneSession::notLearnt(), PhoneSession::notLearnt());
        dialog.setBusy(true);
    }
    phone_.startInfo();  // or, when a request still runs, its end
    dialog.exec();
    phone_.endInfo([this](int ms) { pumpEvents(ms); });
    phone_.setInfoFinished(nullptr);
    QApplication::processEvents();
}

void MainWindow::settingsClicked() {
    SetupComDialog dialog(options_.settingsPath, this);
    if (dialog.exec() == QDialog::Accepted) settings_ = Settings::load(options_.settingsPath);
}

}  // namespace qv
