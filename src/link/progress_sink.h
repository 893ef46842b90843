#pragma once
// Where the phone tasks report: the progress dialog in the window, a progress bar on the
// terminal in the command-line tool. Calls come from the worker thread.
#include <QString>

namespace qv {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void setText(const QString& text) = 0;
    virtual void setMaximum(int maximum) = 0;
    virtual void setPosition(int position) = 0;
    virtual void repaint() {}
    // The phone's software version above the bar; hidden while `visible` is false.
    virtual void setVersionLine(const QString& text, bool visible) = 0;
    virtual void setButtonCaption(const QString& caption) = 0;
    // The one error box of a failed task.
    virtual void showError(const QString& text, const QString& caption) = 0;
};

class NullProgressSink final : public ProgressSink {
public:
    void setText(const QString&) override {}
    void setMaximum(int) override {}
    void setPosition(int) override {}
    void setVersionLine(const QString&, bool) override {}
    void setButtonCaption(const QString&) override {}
    void showError(const QString&, const QString&) override {}
};

}  // namespace qv
