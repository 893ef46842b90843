#pragma once
// AT commands to the phone's normal firmware: the keypad commands before a transfer and the
// model and software version requests of the Info dialog.
#include "link/phone_link.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace qv {

extern const char kKeypadEndKey[];      // AT%FKPD="e",100,0 + CR
extern const char kKeypadUnlockThenEnd[];  // AT%FKPD="[*",2,0%FKPD="e",100,0 + CR

// Values cut out of a complete reply (the phone echoes the command first); empty when the
// echo or the closing line break is missing. Stored values start with one space.
QString cutVersion(const QByteArray& reply);
QString cutModel(const QByteArray& reply);

// The states of the worker's AT driver; the numbers are those of its log.
enum class AtDriverState : uint8_t { Abort = 1, ReadPending = 2, Finished = 3, Inactive = 4, Start = 5 };

// What the model and the version read before the phone has told them.
inline const QString kNotLearnt = QStringLiteral("???");

class AtExchange {
public:
    explicit AtExchange(PhoneLink& link) : link_(link) {}

    // Opens the AT link (closing a port that is open) and sends one command; reads nothing.
    Result getPhoneState(const QByteArray& command);
    Result sendCommand(const QByteArray& text);
    // 0 when a complete reply ("OK" or "ERROR" and its line break) was recognised, 24 while
    // it is not complete yet, 18 when the port read failed.
    Result readReply();
    const QByteArray& completeReply() const { return complete_; }

    // One step of the version and model requests: 0 finished, 24 keep polling, 25 time-out,
    // or the code of a failed open or send.
    Result step();
    // One pass of the worker for the Info request.
    void driverPass();

    AtDriverState driverState() const { return driver_.load(); }
    // Why the last request ended without values: a failed open or send, or 25 (time-out).
    Result lastFailure() const;
    void setDriverState(AtDriverState s) { driver_.store(s); }
    // Starts the Info request (the info button): model and version back to kNotLearnt.
    void startInfoRequest();
    // The model or the version was learnt by the last request.
    bool learntSomething() const;

    QString model() const;
    QString version() const;
    // "N/A" for what was not learnt.
    QString shownModel() const;
    QString shownVersion() const;

    // Called when the driver ends, from the worker thread, before onFinished: the worker
    // leaves the exchange.
    std::function<void()> onEnded;
    // Called when the driver finishes, from the worker thread (the Info dialog shows the values).
    std::function<void()> onFinished;
    // The port name in use is taken from the settings at the driver's start.
    std::function<QString()> portSetting;

private:
    PhoneLink& link_;
    QByteArray accumulator_;
    QByteArray complete_;
    // The steps of one information request: the version, then the model.
    enum class InfoStep : uint8_t { AskVersion, AwaitVersion, AskModel, AwaitModel, Failed, Done };
    InfoStep infoStep_ = InfoStep::AskVersion;
    void setLastFailure(Result failure);
    std::atomic<AtDriverState> driver_{AtDriverState::Inactive};
    Result lastFailure_;
    mutable std::mutex valuesMutex_;
    QString model_ = kNotLearnt;
    QString version_ = kNotLearnt;
};

}  // namespace qv
