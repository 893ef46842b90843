#pragma once
// "Setup COM port": the serial port (listed by name, or typed as a device path), the two
// transfer speeds, the keypad-lock, restore patch and verify options and the melody player.
// Created for each opening; it loads the settings file itself, and Apply (or Enter) stores
// all values and saves the file, Cancel (or Escape) closes without saving.
#include "ports/serial_ports.h"
#include "files/settings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;

namespace qv {

class FileNameEdit;
class ImageButton;
class SkinnedDialogFrame;

class SetupComDialog : public QDialog {
    Q_OBJECT
public:
    // `ports` (bare device paths) replaces the machine's serial ports; empty means the machine's.
    explicit SetupComDialog(const QString& settingsPath, QWidget* parent = nullptr, const QStringList& ports = {});
    // The port list from `ports` (tests give a stub).
    SetupComDialog(const QString& settingsPath, QWidget* parent, const SerialPortSource& ports);

    static const QStringList& speeds();  // 9600 ... 230400, the only ones offered

    // The settings as loaded when the dialog was created, or as saved by Apply. The caller
    // takes them over after the dialog closed either way: the file may have been edited
    // by hand since the program started.
    const Settings& settings() const { return settings_; }

public slots:
    void apply();  // stores, saves and closes; stays open after reporting a failed save

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Shows a failed save; tests replace it.
    virtual void reportSaveError(const QString& message);

private:
    // The device of the port list's choice, or the path typed into it.
    QString chosenPort() const;

    QString settingsPath_;
    Settings settings_;
    SkinnedDialogFrame* frame_;
    QComboBox* portCombo;
    QCheckBox* keyLockCheck;
    QComboBox* readSpeedCombo;
    QComboBox* writeSpeedCombo;
    QCheckBox* restorePatchCheck;
    QCheckBox* verifyCheck;  // read back what a write or restore wrote
    FileNameEdit* playerEdit;
    ImageButton* applyButton;
    ImageButton* cancelButton;
};

}  // namespace qv
