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

QLabel* label(QWidget* parent, const char* name, int tag, const QRect& where) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    setLanguageTag(l, tag);
    l->setGeometry(where);
    return l;
}

QCheckBox* checkBox(QWidget* parent, const char* name, int tag, const QRect& where) {
    auto* c = new QCheckBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    setLanguageTag(c, tag);
    c->setGeometry(where);
    return c;
}

QComboBox* speedList(QWidget* parent, const char* name, const QRect& where, uint32_t baud) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->addItems(TSetupComDialog::speeds());
    c->setGeometry(where);
    const int i = c->findText(QString::number(baud));
    c->setCurrentIndex(i >= 0 ? i : 3);  // a speed the list does not offer shows 38400
    return c;
}

}  // namespace

const QStringList& TSetupComDialog::speeds() {
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

TSetupComDialog::TSetupComDialog(const QString& settingsPath, QWidget* parent, const QStringList& ports)
    : TSetupComDialog(settingsPath, parent, sourceOf(ports)) {}

TSetupComDialog::TSetupComDialog(const QString& settingsPath, QWidget* parent, const SerialPortSource& ports)
    : QDialog(parent), settingsPath_(settingsPath) {
    setObjectName(QStringLiteral("SetupCom"));
    frame_ = new SkinnedDialogFrame(this, QSize(306, 289), QStringLiteral("Label1"), 8065);
    QWidget* body = frame_;
    settings_ = Settings::load(settingsPath_);

    label(body, "Label5", 8063, QRect(16, 28, 274, 16));
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

    CheckBox1 = checkBox(body, "CheckBox1", 8069, QRect(16, 73, 274, 20));
    CheckBox1->setChecked(settings_.keyLock != 0);

    label(body, "Label2", 8064, QRect(16, 99, 130, 16));
    label(body, "Label6", 8067, QRect(160, 99, 130, 16));
    cbCOMSpeedRD = speedList(body, "cbCOMSpeedRD", QRect(16, 116, 130, 22), settings_.baudRD);
    cbCOMSpeedWR = speedList(body, "cbCOMSpeedWR", QRect(160, 116, 130, 22), settings_.baudWR);

    CheckRest = checkBox(body, "CheckRest", 8070, QRect(16, 146, 274, 20));
    CheckRest->setChecked(settings_.restorePatch != 0);
    // The language table has no text for it.
    CheckVerify = new QCheckBox(QStringLiteral("Read back and check what was written"), body);
    CheckVerify->setObjectName(QStringLiteral("CheckVerify"));
    CheckVerify->setGeometry(16, 168, 274, 20);
    CheckVerify->setChecked(settings_.verify != 0);

    label(body, "Label4", 8066, QRect(16, 194, 274, 16));
    player_name = new FileNameEdit(body);
    player_name->setObjectName(QStringLiteral("player_name"));
    setLanguageTag(player_name, 9168);  // its file dialog is titled "Path to player"
    player_name->setFilter(QStringLiteral("EXE files|*.exe"));
    player_name->setDefaultSuffix(QStringLiteral("*.exe"));
    player_name->setStartDir(QStringLiteral("."));
    player_name->setGeometry(16, 211, 274, 22);
    player_name->setText(settings_.player);

    bsatur_n = new ImageButton(skin::applyImage(false), skin::applyImage(true), body);
    bsatur_n->setObjectName(QStringLiteral("bsatur_n"));
    setLanguageTag(bsatur_n, 8862);
    bsatur_n->move(306 / 2 - 24 - 8, 250);
    bclose_n = new ImageButton(skin::cancelImage(false), skin::cancelImage(true), body);
    bclose_n->setObjectName(QStringLiteral("bclose_n"));
    setLanguageTag(bclose_n, 8861);
    bclose_n->move(306 / 2 + 8, 250);
    connect(bsatur_n, &QAbstractButton::clicked, this, &TSetupComDialog::apply);
    connect(bclose_n, &QAbstractButton::clicked, this, &QDialog::reject);
    // Enter applies wherever the focus is, the editable port list included.
    for (int key : {Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, &TSetupComDialog::apply);
}

void TSetupComDialog::apply() {
    Settings s = settings_;
    s.port = chosenPort();
    s.baudRD = cbCOMSpeedRD->currentText().toUInt();
    s.baudWR = cbCOMSpeedWR->currentText().toUInt();
    s.keyLock = CheckBox1->isChecked() ? 1 : 0;
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

QString TSetupComDialog::chosenPort() const {
    const QString text = cbCom->currentText().trimmed();
    const int shown = cbCom->findText(text);  // an entry chosen, or its label typed whole
    return shown >= 0 ? cbCom->itemData(shown).toString() : text;
}

void TSetupComDialog::keyPressEvent(QKeyEvent* event) {
    if (!handleApplyCancelKey(this, event, [this] { apply(); })) QDialog::keyPressEvent(event);
}

void TSetupComDialog::reportSaveError(const QString& message) {
    QMessageBox::critical(this, langText(Text::SetupCOMPort), message);
}

}  // namespace qv
