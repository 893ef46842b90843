#pragma once
// What the emulated phone says about itself, how long it takes for things, and which faults
// it is told to show.
#include "phone_emu/emu_time.h"

#include <QByteArray>
#include <cstdint>

namespace qv::emu {

// Which byte of a segment a fault touches.
enum class SegmentByte { First, Middle, Last };

// Faults count over the whole life of the emulator, not per loader session, so that a host
// that tries again after a failure meets a healthy phone.
struct FaultPlan {
    int refuseSegment = 0;     // the N-th write segment (from 1) is answered '?'; 0 = never
    int refuseTimes = 1;       // how often that segment is refused when it is sent again at once
    int corruptWriteSegment = 0;  // the N-th write segment (from 1) is acknowledged, one byte stored wrong
    SegmentByte corruptWriteByte = SegmentByte::Middle;  // that byte
    int64_t silentAfter = -1;  // loader bytes answered before the phone goes silent; -1 = never
    int64_t dropReadByte = 0;  // the N-th data byte (from 1) of the first read reply is lost
    int garbageBeforeAck = 0;  // junk bytes in front of every '!' of the loader
    bool atSilent = false;     // firmware neither echoes nor answers
    bool atError = false;      // firmware echoes but answers ERROR to everything
};

struct PhoneSettings {
    QByteArray model = "QV-100";
    QByteArray version = "V10a";
    Time bootDelay = milliseconds(300);   // from the end key until the boot code listens
    Time startDelay = milliseconds(30);   // from the last loader byte until it announces itself
    Time ackDelay = milliseconds(15);     // flash programming time before a write is answered
    FaultPlan faults;
};

}  // namespace qv::emu
