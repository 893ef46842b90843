#include "app/setup_com_dialog.h"

#include "app/file_name_edit.h"
#include "app/language_tags.h"
#include "app/serial_ports.h"
#include "app/skin.h"
#include "app/title_bar.h"
#include "base/language_table.h"

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

TSetupComDialog::TSetupComDialog(const QString& settingsPath, QWidget* parent, const QStringList& ports)
    : QDialog(parent), settingsPath_(settingsPath) {
    setObjectName(QStringLiteral("SetupCom"));
    frame_ = new SkinnedDialogFrame(this, QSize(306, 267), QStringLiteral("Label1"), 8065);
    QWidget* body = frame_;
    settings_ = Settings::load(settingsPath_);

    label(body, "Label5", 8063, QRect(16, 28, 274, 16));
    cbCom = new QComboBox(body);
    cbCom->setObjectName(QStringLiteral("cbCom"));
    cbCom->setEditable(true);
    cbCom->setInsertPolicy(QComboBox::NoInsert);
    cbCom->setGeometry(16, 45, 274, 22);
    cbCom->addItems(ports.isEmpty() ? enumerateSerialPorts() : ports);
    const int portIndex = cbCom->findText(settings_.port);
    if (portIndex >= 0) {
        cbCom->setCurrentIndex(portIndex);
    } else if (!settings_.port.isEmpty() && QFileInfo::exists(settings_.port)) {
        // A device the search does not find (a pseudo-terminal, a renamed adapter) stays chosen.
        cbCom->addItem(settings_.port);
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

    label(body, "Label4", 8066, QRect(16, 172, 274, 16));
    player_name = new FileNameEdit(body);
    player_name->setObjectName(QStringLiteral("player_name"));
    setLanguageTag(player_name, 9168);  // its file dialog is titled "Path to player"
    player_name->setFilter(QStringLiteral("EXE files|*.exe"));
    player_name->setDefaultSuffix(QStringLiteral("*.exe"));
    player_name->setStartDir(QStringLiteral("."));
    player_name->setGeometry(16, 189, 274, 22);
    player_name->setText(settings_.player);

    bsatur_n = new ImageButton(skin::applyImage(false), skin::applyImage(true), body);
    bsatur_n->setObjectName(QStringLiteral("bsatur_n"));
    setLanguageTag(bsatur_n, 8862);
    bsatur_n->move(306 / 2 - 24 - 8, 228);
    bclose_n = new ImageButton(skin::cancelImage(false), skin::cancelImage(true), body);
    bclose_n->setObjectName(QStringLiteral("bclose_n"));
    setLanguageTag(bclose_n, 8861);
    bclose_n->move(306 / 2 + 8, 228);
    connect(bsatur_n, &QAbstractButton::clicked, this, &TSetupComDialog::apply);
    connect(bclose_n, &QAbstractButton::clicked, this, &QDialog::reject);
    // Enter applies wherever the focus is, the editable port list included.
    for (int key : {Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, &TSetupComDialog::apply);
}

void TSetupComDialog::apply() {
    Settings s = settings_;
    s.port = cbCom->currentText().trimmed();
    s.baudRD = cbCOMSpeedRD->currentText().toUInt();
    s.baudWR = cbCOMSpeedWR->currentText().toUInt();
    s.keyLock = CheckBox1->isChecked() ? 1 : 0;
    s.restorePatch = CheckRest->isChecked() ? 1 : 0;
    s.player = player_name->text();
    QString error;
    if (!s.save(settingsPath_, &error)) {
        reportSaveError(error);
        return;
    }
    settings_ = s;
    accept();
}

void TSetupComDialog::keyPressEvent(QKeyEvent* event) {
    if (!handleApplyCancelKey(this, event, [this] { apply(); })) QDialog::keyPressEvent(event);
}

void TSetupComDialog::reportSaveError(const QString& message) {
    QMessageBox::critical(this, langText("8060"), message);
}

}  // namespace qv
