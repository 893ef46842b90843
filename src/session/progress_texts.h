#pragma once
// A phone task's progress in words: turns the task's events into the texts of the progress
// box (from the language table, at the time of the event). The window's progress dialog, the
// terminal's bar and the tests' recorders build on it.
#include "base/progress_events.h"

#include <QString>

namespace qv {

// The bar text of a stage ("Reading pictures - 3 of 120"); empty for an event without one.
QString stageText(const ProgressEvent& event);

class ProgressTexts : public ProgressListener {
public:
    void report(const ProgressEvent& event) final;

protected:
    virtual void setText(const QString& text) = 0;
    virtual void setMaximum(int maximum) = 0;
    virtual void setPosition(int position) = 0;
    // The phone's software version above the bar; hidden while `visible` is false.
    virtual void setVersionLine(const QString& text, bool visible) = 0;
    virtual void setButtonCaption(const QString& caption) = 0;
    // The one error box of a failed task.
    virtual void showError(const QString& text, const QString& caption) = 0;
};

}  // namespace qv
