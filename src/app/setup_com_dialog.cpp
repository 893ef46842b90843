#include "app/setup_com_dialog.h"

#include "app/file_name_edit.h"
#include "app/language_tags.h"
#include "app/skin.h"
#include "app/title_bar.h"
#include "base/language_table.h"

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
    static const QStringList list = {QStringLiteral("9600"),  QStringLiteral("19200"),  QStringLiteral("28800"),
                                     QStringLiteral("38400"), QStringLiteral("115200"), QStringLiteral("230400")};
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
    cbCom = new QComboBox(body);
    cbCom->setObjectName(QStringLiteral("cbCom"));
    cbCom->setEditable(true);
    cbCom->setInsertPolicy(QComboBox::NoInsert);
    cbCom->setGeometry(16, 45, 274, 22);
    // Each entry shows the port's name and carries its device path.
    QList<SerialPortEntry> found = ports();
    orderSerialPorts(found);
    for (const SerialPortEntry& p : found) cbCom->addItem(serialPortLabel(p), p.path);
    // The drop-down may be wider than the field, so that long names show whole.
    cbCom->view()->setMinimumWidth(cbCom->view()->sizeHintForColumn(0) + 8);
    const int portIndex = cbCom->findData(settings_.port);
    if (portIndex >= 0) {
        cbCom->setCurrentIndex(portIndex);
    } else if (!settings_.port.isEmpty() && (QFileInfo::exists(settings_.port) || cbCom->count() == 0)) {
        // A device the search does not find (a pseudo-terminal, a renamed adapter) stays chosen,
        // and so does any setting when the machine reports no port at all.
        cbCom->addItem(settings_.port, settings_.port);
        cbCom->setCurrentIndex(cbCom->count() - 1);
    } else {
        cbCom->setCurrentIndex(0);
    }

    keyLockCheck = checkBox(body, "keyLockCheck", Text::KeyboardLocked, QRect(16, 73, 274, 20));
    keyLockCheck->setChecked(settings_.keyLock != 0);

    label(body, "readSpeedLabel", Text::ReadingSpeed, QRect(16, 99, 130, 16));
    label(body, "writeSpeedLabel", Text::WritingSpeed, QRect(160, 99, 130, 16));
    cbCOMSpeedRD = speedList(body, "cbCOMSpeedRD", QRect(16, 116, 130, 22), settings_.baudRD);
    cbCOMSpeedWR = speedList(body, "cbCOMSpeedWR", QRect(160, 116, 130, 22), settings_.baudWR);

    CheckRest = checkBox(body, "CheckRest", Text::CreateRestorePatchFile, QRect(16, 146, 274, 20));
    CheckRest->setChecked(settings_.restorePatch != 0);
    // The language table has no text for it.
    CheckVerify = new QCheckBox(QStringLiteral("Read back and check what was written"), body);
    CheckVerify->setObjectName(QStringLiteral("CheckVerify"));
    CheckVerify->setGeometry(16, 168, 274, 20);
    CheckVerify->setChecked(settings_.verify != 0);

    label(body, "playerLabel", Text::MelodyPlayer, QRect(16, 194, 274, 16));
    player_name = new FileNameEdit(body);
    player_name->setObjectName(QStringLiteral("player_name"));
    setLanguageTag(player_name, fileDialogTag(Text::PathToPlayer));
    player_name->setFilter(QStringLiteral("EXE files|*.exe"));
    player_name->setDefaultSuffix(QStringLiteral("*.exe"));
    player_name->setStartDir(QStringLiteral("."));
    player_name->setGeometry(16, 211, 274, 22);
    player_name->setText(settings_.player);

    bsatur_n = new ImageButton(skin::applyImage(false), skin::applyImage(true), body);
    bsatur_n->setObjectName(QStringLiteral("bsatur_n"));
    setLanguageTag(bsatur_n, hintTag(Text::ApplyKey8062));
    bsatur_n->move(306 / 2 - 24 - 8, 250);
    bclose_n = new ImageButton(skin::cancelImage(false), skin::cancelImage(true), body);
    bclose_n->setObjectName(QStringLiteral("bclose_n"));
    setLanguageTag(bclose_n, hintTag(Text::Cancel));
    bclose_n->move(306 / 2 + 8, 250);
    connect(bsatur_n, &QAbstractButton::clicked, this, &SetupComDialog::apply);
    connect(bclose_n, &QAbstractButton::clicked, this, &QDialog::reject);
    // Enter applies wherever the focus is, the editable port list included.
    for (int key : {Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, &SetupComDialog::apply);
}

void SetupComDialog::apply() {
    Settings s = settings_;
    s.port = chosenPort();
    s.baudRD = cbCOMSpeedRD->currentText().toUInt();
    s.baudWR = cbCOMSpeedWR->currentText().toUInt();
    s.keyLock = keyLockCheck->isChecked() ? 1 : 0;
    s.restorePatch = CheckRest->isChecked() ? 1 : 0;
    s.verify = CheckVerify->isChecked() ? 1 : 0;
    s.player = player_name->text();
    if (Result saved = s.save(settingsPath_); !saved) {
        reportSaveError(saved.message());
        return;
    }
    settings_ = s;
    accept();
}

QString SetupComDialog::chosenPort() const {
    const QString text = cbCom->currentText().trimmed();
    const int shown = cbCom->findText(text);  // an entry chosen, or its label typed whole
    return shown >= 0 ? cbCom->itemData(shown).toString() : text;
}

void SetupComDialog::keyPressEvent(QKeyEvent* event) {
    if (!handleApplyCancelKey(this, event, [this] { apply(); })) QDialog::keyPressEvent(event);
}

void SetupComDialog::reportSaveError(const QString& message) {
    QMessageBox::critical(this, langText(Text::SetupCOMPort), message);
}

}  // namespace qv
