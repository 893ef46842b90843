#include "app/setup_com_dialog.h"

#include "app/file_filters.h"
#include "app/file_name_edit.h"
#include "app/language_tags.h"
#include "app/skin.h"
#include "app/title_bar.h"
#include "base/language_table.h"
#include "session/phone_session.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QShortcut>

namespace qv {
namespace {

QLabel* label(QWidget* parent, const char* name, TextKey caption, const QRect& where) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    setLanguageTag(l, captionTag(caption));
    l->setGeometry(where);
    return l;
}

QCheckBox* checkBox(QWidget* parent, const char* name, TextKey caption, const QRect& where) {
    auto* c = new QCheckBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    setLanguageTag(c, captionTag(caption));
    c->setGeometry(where);
    return c;
}

QComboBox* speedList(QWidget* parent, const char* name, const QRect& where, uint32_t baud) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->addItems(SetupComDialog::speeds());
    c->setGeometry(where);
    const int i = c->findText(QString::number(baud));
    c->setCurrentIndex(i >= 0 ? i : 3);  // a speed the list does not offer shows 38400
    return c;
}

}  // namespace

const QStringList& SetupComDialog::speeds() {
    static const QStringList list = [] {
        QStringList speeds;
        for (uint32_t baud : PhoneSession::transferSpeeds()) speeds.append(QString::number(baud));
        return speeds;
    }();
    return list;
}

namespace {

QList<SerialPortEntry> machinePortsOrFallback() {
    QList<SerialPortEntry> ports = machineSerialPorts();
#ifdef Q_OS_WIN
    if (ports.isEmpty())
        for (int i = 1; i <= 8; ++i) ports << serialPortsFromPaths({QStringLiteral("COM%1").arg(i)});
#endif
    return ports;
}

SerialPortSource sourceOf(const QStringList& paths) {
    if (paths.isEmpty()) return machinePortsOrFallback;
    return [paths] { return serialPortsFromPaths(paths); };
}

}  // namespace

SetupComDialog::SetupComDialog(const QString& settingsPath, QWidget* parent, const QStringList& ports)
    : SetupComDialog(settingsPath, parent, sourceOf(ports)) {}

SetupComDialog::SetupComDialog(const QString& settingsPath, QWidget* parent, const SerialPortSource& ports)
    : QDialog(parent), settingsPath_(settingsPath) {
    setObjectName(QStringLiteral("SetupCom"));
    frame_ = new SkinnedDialogFrame(this, QSize(306, 289), Text::Setup);
    QWidget* body = frame_;
    settings_ = Settings::load(settingsPath_);

    label(body, "portLabel", Text::COMPort, QRect(16, 28, 274, 16));
    portCombo = new QComboBox(body);
    portCombo->setObjectName(QStringLiteral("portCombo"));
    portCombo->setEditable(true);
    portCombo->setInsertPolicy(QComboBox::NoInsert);
    portCombo->setGeometry(16, 45, 274, 22);
    // Each entry shows the port's name and carries its device path.
    QList<SerialPortEntry> found = ports();
    orderSerialPorts(found);
    for (const SerialPortEntry& p : found) portCombo->addItem(serialPortLabel(p), p.path);
    // The drop-down may be wider than the field, so that long names show whole.
    portCombo->view()->setMinimumWidth(portCombo->view()->sizeHintForColumn(0) + 8);
    const int portIndex = portCombo->findData(settings_.port);
    if (portIndex >= 0) {
        portCombo->setCurrentIndex(portIndex);
    } else if (!settings_.port.isEmpty() && (QFileInfo::exists(settings_.port) || portCombo->count() == 0)) {
        // A device the search does not find (a pseudo-terminal, a renamed adapter) stays chosen,
        // and so does any setting when the machine reports no port at all.
        portCombo->addItem(settings_.port, settings_.port);
        portCombo->setCurrentIndex(portCombo->count() - 1);
    } else {
        portCombo->setCurrentIndex(0);
    }

    keyLockCheck = checkBox(body, "keyLockCheck", Text::KeyboardLocked, QRect(16, 73, 274, 20));
    keyLockCheck->setChecked(settings_.keyLock != 0);

    label(body, "readSpeedLabel", Text::ReadingSpeed, QRect(16, 99, 130, 16));
    label(body, "writeSpeedLabel", Text::WritingSpeed, QRect(160, 99, 130, 16));
    readSpeedCombo = speedList(body, "readSpeedCombo", QRect(16, 116, 130, 22), settings_.baudRD);
    writeSpeedCombo = speedList(body, "writeSpeedCombo", QRect(160, 116, 130, 22), settings_.baudWR);

    restorePatchCheck = checkBox(body, "restorePatchCheck", Text::CreateRestorePatchFile, QRect(16, 146, 274, 20));
    restorePatchCheck->setChecked(settings_.restorePatch != 0);
    // The language table has no text for it.
    verifyCheck = new QCheckBox(QStringLiteral("Read back and check what was written"), body);
    verifyCheck->setObjectName(QStringLiteral("verifyCheck"));
    verifyCheck->setGeometry(16, 168, 274, 20);
    verifyCheck->setChecked(settings_.verify != 0);

    label(body, "playerLabel", Text::MelodyPlayer, QRect(16, 194, 274, 16));
    playerEdit = new FileNameEdit(body);
    playerEdit->setObjectName(QStringLiteral("playerEdit"));
    setLanguageTag(playerEdit, fileDialogTag(Text::PathToPlayer));
    playerEdit->setFilter(programFilter());
    playerEdit->setDefaultSuffix(programSuffix());
    playerEdit->setStartDir(QStringLiteral("."));
    playerEdit->setGeometry(16, 211, 274, 22);
    playerEdit->setText(settings_.player);

    applyButton = new ImageButton(skin::applyImage(false), skin::applyImage(true), body);
    applyButton->setObjectName(QStringLiteral("applyButton"));
    setLanguageTag(applyButton, hintTag(Text::SetupApply));
    applyButton->move(306 / 2 - 24 - 8, 250);
    cancelButton = new ImageButton(skin::cancelImage(false), skin::cancelImage(true), body);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    setLanguageTag(cancelButton, hintTag(Text::Cancel));
    cancelButton->move(306 / 2 + 8, 250);
    connect(applyButton, &QAbstractButton::clicked, this, &SetupComDialog::apply);
    connect(cancelButton, &QAbstractButton::clicked, this, &QDialog::reject);
    // Enter applies wherever the focus is, the editable port list included.
    for (int key : {Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, &SetupComDialog::apply);
}

void SetupComDialog::apply() {
    Settings s = settings_;
    s.port = chosenPort();
    s.baudRD = readSpeedCombo->currentText().toUInt();
    s.baudWR = writeSpeedCombo->currentText().toUInt();
    s.keyLock = keyLockCheck->isChecked() ? 1 : 0;
    s.restorePatch = restorePatchCheck->isChecked() ? 1 : 0;
    s.verify = verifyCheck->isChecked() ? 1 : 0;
    s.player = playerEdit->text();
    if (Result saved = s.save(settingsPath_); !saved) {
        reportSaveError(saved.message());
        return;
    }
    settings_ = s;
    accept();
}

QString SetupComDialog::chosenPort() const {
    const QString text = portCombo->currentText().trimmed();
    const int shown = portCombo->findText(text);  // an entry chosen, or its label typed whole
    return shown >= 0 ? portCombo->itemData(shown).toString() : text;
}

void SetupComDialog::keyPressEvent(QKeyEvent* event) {
    if (!handleApplyCancelKey(this, event, [this] { apply(); })) QDialog::keyPressEvent(event);
}

void SetupComDialog::reportSaveError(const QString& message) {
    QMessageBox::critical(this, langText(Text::SetupCOMPort), message);
}

}  // namespace qv
