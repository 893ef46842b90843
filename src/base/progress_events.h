#pragma once
// What a phone task tells while it runs: the stage it reached, how far a block has got, the
// phone's software version and the outcome. Events carry no user text; each front end turns
// them into its own (the window's progress box, the terminal's bar). Calls come from the
// worker thread.
#include "base/result.h"

#include <QString>

namespace qv {

enum class ProgressStage : uint8_t {
    ConnectCable,     // waiting for the phone's boot code: the user connects and powers it
    WaitingForPhone,  // the task started
    SendingLoader,
    LoaderAccepted,
    Reading,          // item k of n of a table
    Writing,          // item k of n of a table
    WritingPatch,
    WriteEnded,       // the loader took the end of write
    Verifying,        // written item k of n read back
    Completed,        // the task's own work is done
    Stopped,          // the task stopped; the event's result says why
};

struct ProgressEvent {
    enum class Kind : uint8_t { Stage, Bar, Version, Outcome };
    Kind kind = Kind::Stage;
    ProgressStage stage = ProgressStage::WaitingForPhone;
    int table = -1;            // Reading, Writing: the table the item belongs to
    int item = 0, total = 0;   // Reading, Writing, Verifying: item k (from 1) of n
    int position = 0;          // Bar
    int maximum = -1;          // Bar: -1 keeps the bar's maximum
    QString version;           // Version: the phone's software version; empty hides the line
    Result result;             // Outcome, and the Stopped stage

    static ProgressEvent at(ProgressStage stage) {
        ProgressEvent e;
        e.stage = stage;
        return e;
    }
    static ProgressEvent itemOf(ProgressStage stage, int table, int item, int total) {
        ProgressEvent e = at(stage);
        e.table = table;
        e.item = item;
        e.total = total;
        return e;
    }
    static ProgressEvent stopped(Result why) {
        ProgressEvent e = at(ProgressStage::Stopped);
        e.result = std::move(why);
        return e;
    }
    static ProgressEvent bar(int position, int maximum = -1) {
        ProgressEvent e;
        e.kind = Kind::Bar;
        e.position = position;
        e.maximum = maximum;
        return e;
    }
    static ProgressEvent versionLine(QString text) {
        ProgressEvent e;
        e.kind = Kind::Version;
        e.version = std::move(text);
        return e;
    }
    static ProgressEvent outcome(Result result) {
        ProgressEvent e;
        e.kind = Kind::Outcome;
        e.result = std::move(result);
        return e;
    }
};

class ProgressListener {
public:
    virtual ~ProgressListener() = default;
    virtual void report(const ProgressEvent& event) = 0;
};

}  // namespace qv
