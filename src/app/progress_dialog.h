#pragma once
// The modal "Progress" box of every phone task and of long list fills: the software version
// line, the bar with its centred text and the one button whose caption decides between
// Cancel and Close. Worker updates arrive as queued calls.
#include "session/progress_texts.h"

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace qv {

class ProgressDialog final : public QDialog, public ProgressTexts {
    Q_OBJECT
public:
    // `cancelTask` stops the task (the Cancel button); `endTask` tells that the box closes.
    ProgressDialog(std::function<void()> cancelTask, std::function<void()> endTask, QWidget* parent);

    // The progress texts, callable from any thread.
    void setText(const QString& text) override;
    void setMaximum(int maximum) override;
    void setPosition(int position) override;
    void setVersionLine(const QString& text, bool visible) override;
    void setButtonCaption(const QString& caption) override;
    void showError(const QString& text, const QString& caption) override;

    // For list fills: no cancel area.
    void hideCancelArea();
    // Whether a task still runs: Close then waits for it instead of leaving it behind.
    std::function<bool()> taskRunning;
    std::function<void(const QString& text, const QString& caption)> errorBox;

    QString barText() const;
    QString buttonCaption() const;
    void clickButton();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::function<void()> cancelTask_, endTask_;
    QLabel* version_;
    QProgressBar* bar_;
    QPushButton* button_;
};

}  // namespace qv
