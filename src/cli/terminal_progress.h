#pragma once
// The progress of a phone task on the terminal: a bar on stderr when stderr is a terminal,
// nothing otherwise. The error box of a failed task becomes the command's one error line.
#include "session/progress_texts.h"

#include <QString>
#include <mutex>

namespace qv::cli {

class TerminalProgress final : public ProgressTexts {
public:
    TerminalProgress();
    ~TerminalProgress() override;
    void setText(const QString& text) override;
    void setMaximum(int maximum) override;
    void setPosition(int position) override;
    void setVersionLine(const QString& text, bool visible) override;
    void setButtonCaption(const QString&) override {}
    void showError(const QString& text, const QString& caption) override;
    // A line for the user on stderr, terminal or not; the bar, if any, is drawn again below it.
    void note(const QString& line);

    QString errorText() const;
    QString versionLine() const;
    QString lastText() const;

private:
    void draw();
    bool tty_;
    mutable std::mutex mutex_;
    QString text_, version_, error_;
    int maximum_ = 100, position_ = 0;
    QString lastDrawn_;
};

}  // namespace qv::cli
