// The main window's flows: opening (with building a missing data file), saving, and the
// commands that start phone tasks.
#include "app/file_name_edit.h"
#include "app/info_dialog.h"
#include "app/main_window.h"
#include "files/file_places.h"
#include "app/progress_dialog.h"
#include "app/restore_panel.h"
#include "app/setup_com_dialog.h"
#include "base/language_table.h"
#include "base/program_dir.h"
#include "files/flash_dump_source.h"
#include "files/phone_read_task.h"
#include "files/phone_write_task.h"
#include "files/restore_patch_task.h"

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
    link_.task.setTaskCode(kTaskIdle);
    if (!loadPass(0, chosen)) loadPass(1, ws_.chosenName());
}

bool MainWindow::loadPass(int pass, const QString& preset) {
    QString chosen = preset;
    if (pass == 0 && chosen.isEmpty()) {
        chosen = dialogs().chooseOpenFile(langText(Text::OpenServiceFileHint), QStringLiteral("Service file|*.sav"), QDir::currentPath());
        if (chosen.isEmpty()) return true;
    }
    // A file that cannot be read leaves the open service file as it was.
    if (Status s = ws_.open(chosen); !s) {
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
    settings_ = Settings::load(options_.settingsPath);  // the dialog stored its choice there
    if (source == 0) {
        if (!dialogs().askYesNo(langText(Text::NoDataFileReadPhone), langText(Text::Attention))) return true;
        link_.versionAddress = ws_.image().directory.versionAddress;
        runPhoneTask(kTaskReadFile, settings_.baudRD, [this] { return readPhoneIntoServiceFile(link_, ws_); });
        return false;
    }
    const QString dump1 = dialogs().chooseOpenFile(langText(Text::OpenFile) + " #1", QStringLiteral("BIF files|*.bif"), QDir::currentPath());
    if (dump1.isEmpty()) return true;
    QString dump2;
    if (ws_.image().needsSecondDump()) {
        dump2 = dialogs().chooseOpenFile(langText(Text::OpenFile) + " #2", QStringLiteral("BIF files|*.bif"), QDir::currentPath());
        if (dump2.isEmpty()) return true;
    }
    if (Status s = importFromFlashDumps(ws_, dump1, dump2); !s) {
        dialogs().showError(s.message(), langText(Text::Attention));
        return true;
    }
    return false;
}

void MainWindow::saveClicked() {
    if (!ws_.hasDataFile()) return;
    if (Status s = ws_.save(); !s) dialogs().showError(s.message(), langText(Text::Attention));
}

ResultCode MainWindow::runPhoneTask(uint8_t code, uint32_t baud, std::function<ResultCode()> body) {
    QString why;
    const QString loader = options_.loaderPath.isEmpty() ? QDir(programDirectory()).filePath("loader.bin") : options_.loaderPath;
    if (!loadLoaderImage(loader, link_.loaderImage, &why)) {
        dialogs().showError(why, langText(Text::ErrorPrefix));
        return rcCantOpenFile;
    }
    ProgressDialog progress(link_.task, this);
    progress.taskRunning = [this] { return worker_.busy(); };
    progress.errorBox = [this](const QString& text, const QString& caption) { dialogs().showError(text, caption); };
    link_.progress = &progress;
    ResultCode result = rcOk;
    worker_.setTaskBody(code, std::move(body));
    worker_.onTaskEnded = [&result](ResultCode r) { result = r; };
    progress.show();
    TaskStartSettings start{settings_.port, baud, settings_.keyLock != 0, options_.keypadWaitMs,
                            [this](int ms) { pumpEvents(ms); }};
    startTask(link_, at_, worker_, code, start);
    progress.exec();
    // The dialog closes only once the worker has reported; let its last queued calls land.
    while (worker_.busy()) pumpEvents(20);
    QApplication::processEvents();
    lastTaskText_ = progress.barText();
    lastTaskResult_ = result;
    link_.progress = nullptr;
    worker_.onTaskEnded = nullptr;
    if (link_.port.isOpen()) link_.port.close();
    return result;
}

void MainWindow::flashClicked() {
    if (!ws_.hasDataFile()) return;
    settings_ = Settings::load(options_.settingsPath);
    link_.versionAddress = ws_.image().directory.versionAddress;
    const QString backup = settings_.restorePatch ? QDir(FilePlaces::current().backupFolder()).filePath(backupFileName(QDateTime::currentDateTime())) : QString();
    const bool verify = settings_.verify != 0;
    runPhoneTask(kTaskWriteItems, settings_.baudWR, [this, backup, verify] { return writeTickedItems(link_, ws_, backup, verify); });
    for (CheckListModel* m : {pictureModel_, melodyModel_, operatorModel_, stringModel_}) m->ticksChanged();
}

void MainWindow::applyPatchClicked() {
    const QString path = restorePanel->patchPath();
    if (path.isEmpty() || !QFileInfo::exists(path)) return;
    QFile patch(path);
    if (!patch.open(QIODevice::ReadOnly)) {
        dialogs().showError(QStringLiteral("Can not open %1: %2").arg(path, patch.errorString()), langText(Text::ErrorPrefix));
        return;
    }
    settings_ = Settings::load(options_.settingsPath);
    const bool verify = settings_.verify != 0;
    runPhoneTask(kTaskApplyPatch, settings_.baudWR, [this, &patch, verify] { return applyRestorePatch(link_, patch, verify); });
}

void MainWindow::infoClicked() {
    InfoDialog dialog(this);
    link_.port.close();
    if (at_.driverState() == kAtInactive) {
        at_.onFinished = [&dialog, this] {
            const QString model = at_.shownModel(), version = at_.shownVersion();
            QMetaObject::invokeMethod(&dialog, [&dialog, model, version] {
                dialog.setValues(model, version);
                dialog.setBusy(false);
            }, Qt::QueuedConnection);
        };
        dialog.setValues(kNotLearnt, kNotLearnt);
        dialog.setBusy(true);
        at_.startInfoRequest();
        link_.task.setTaskCode(kTaskAtProcessing);
    } else {
        at_.setDriverState(kAtAbort);
    }
    dialog.exec();
    if (at_.driverState() != kAtInactive) at_.setDriverState(kAtAbort);
    // Wait for the worker to leave the exchange before the dialog goes away.
    while (link_.task.taskCode() == kTaskAtProcessing) pumpEvents(10);
    at_.onFinished = nullptr;
    QApplication::processEvents();
    at_.setDriverState(kAtInactive);
}

void MainWindow::settingsClicked() {
    SetupComDialog dialog(options_.settingsPath, this);
    if (dialog.exec() == QDialog::Accepted) settings_ = Settings::load(options_.settingsPath);
}

}  // namespace qv
