#include "app/progress_dialog.h"

#include "app/language_tags.h"
#include "base/language_table.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace qv {

namespace {
// Runs `f` on the dialog's thread; worker calls are queued, calls from that thread run at once.
template <typename F>
void onUiThread(QObject* target, F f) {
    if (QThread::currentThread() == target->thread())
        f();
    else
        QMetaObject::invokeMethod(target, std::move(f), Qt::QueuedConnection);
}
}  // namespace

ProgressDialog::ProgressDialog(std::function<void()> cancelTask, std::function<void()> endTask, QWidget* parent)
    : QDialog(parent), cancelTask_(std::move(cancelTask)), endTask_(std::move(endTask)) {
    setObjectName("Progress");
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(438, 120);
    setStyleSheet("QDialog#Progress { background: #d8dce8; border: 1px solid #203060; }");
    version_ = new QLabel(this);
    version_->setObjectName("version");
    QFont bold = version_->font();
    bold.setBold(true);
    version_->setFont(bold);
    version_->setAlignment(Qt::AlignCenter);
    version_->hide();
    bar_ = new QProgressBar(this);
    bar_->setObjectName("bar");
    bar_->setTextVisible(true);
    bar_->setAlignment(Qt::AlignCenter);
    bar_->setFormat(QString());
    bar_->setStyleSheet(
        "QProgressBar { background: #000080; color: yellow; font-weight: bold; border: 1px solid #000040; "
        "min-height: 24px; }"
        "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #0040ff, stop:1 #00ffff); "
        "margin: 1px; width: 8px; }");
    button_ = new QPushButton(langText(Text::DialogCancel), this);
    button_->setObjectName("button");
    setLanguageTag(button_, captionTag(Text::DialogCancel));
    button_->setFlat(true);
    button_->setStyleSheet("QPushButton { font-weight: bold; } QPushButton:pressed { color: red; }");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(version_);
    layout->addWidget(bar_);
    layout->addWidget(button_, 0, Qt::AlignHCenter);
    connect(button_, &QPushButton::clicked, this, &ProgressDialog::clickButton);
}

void ProgressDialog::showEvent(QShowEvent* event) {
    applyLanguage(this);
    if (parentWidget()) move(parentWidget()->geometry().center() - rect().center());
    QDialog::showEvent(event);
}

void ProgressDialog::setText(const QString& text) {
    onUiThread(this, [this, text] { bar_->setFormat(QString(text).replace('%', "%%")); });
}
void ProgressDialog::setMaximum(int maximum) {
    onUiThread(this, [this, maximum] { bar_->setMaximum(std::max(maximum, 1)); });
}
void ProgressDialog::setPosition(int position) {
    onUiThread(this, [this, position] { bar_->setValue(std::clamp(position, 0, bar_->maximum())); });
}
void ProgressDialog::setVersionLine(const QString& text, bool visible) {
    onUiThread(this, [this, text, visible] {
        version_->setText(text);
        version_->setVisible(visible);
    });
}
void ProgressDialog::setButtonCaption(const QString& caption) {
    onUiThread(this, [this, caption] { button_->setText(caption); });
}
void ProgressDialog::showError(const QString& text, const QString& caption) {
    onUiThread(this, [this, text, caption] {
        if (errorBox) errorBox(text, caption);
    });
}

void ProgressDialog::hideCancelArea() { button_->hide(); }

QString ProgressDialog::barText() const { return bar_->format().replace("%%", "%"); }
QString ProgressDialog::buttonCaption() const { return button_->text(); }

void ProgressDialog::clickButton() {
    const QString caption = button_->text();
    if (caption == langText(Text::ProgressClose)) {
        // A cancelled task may still be finishing its step: let it end before closing.
        while (taskRunning && taskRunning()) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        }
        QApplication::processEvents();
        if (endTask_) endTask_();
        accept();
    } else if (caption == langText(Text::ProgressCancel)) {
        if (cancelTask_) cancelTask_();
        button_->setText(langText(Text::ProgressClose));
    }
}

void ProgressDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        clickButton();  // Escape acts exactly like the button
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace qv
