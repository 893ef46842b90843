#pragma once
// The worker that runs every phone task, so that the window stays responsive and the user
// can cancel. It waits for a task code, runs the task, reports the outcome and waits again.
#include "link/at_exchange.h"
#include "link/phone_link.h"

#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <thread>

namespace qv {

class PhoneWorker {
public:
    using TaskBody = std::function<ResultCode()>;

    PhoneWorker(PhoneLink& link, AtExchange& at);
    ~PhoneWorker();

    // The bodies of the transfer tasks (codes 2, 3 and 6).
    void setTaskBody(uint8_t code, TaskBody body);
    // Called on the worker thread when a transfer task has ended, with its result.
    std::function<void(ResultCode)> onTaskEnded;

    void start();
    // Ends the thread; waits for a running task to notice.
    void stop();
    // True from a task start until the worker has reported its outcome.
    bool busy() const { return busy_.load(); }
    void markBusy() { busy_.store(true); }
    // Ends a task that cannot start as the worker ends a failed one (final bar text, the one
    // error box with the link's failure detail, onTaskEnded); called by the task start.
    void refuseTask(ResultCode r);

private:
    void run();
    void runTransfer(uint8_t code);
    // The final bar text, the one error box, idle, and the end of the busy state.
    void reportOutcome(ResultCode r);

    PhoneLink& link_;
    AtExchange& at_;
    std::map<uint8_t, TaskBody> bodies_;
    std::thread thread_;
    std::atomic<bool> quit_{false};
    std::atomic<bool> busy_{false};
};

// What a task start needs from the settings.
struct TaskStartSettings {
    QString port;
    uint32_t baud = 115200;
    bool keyLock = false;
    int keypadWaitMs = 4000;
    // The pause after the keypad command; the window keeps its event loop running in it.
    std::function<void(int ms)> wait;
};

// Presses the phone's end key by AT command, closes the port, waits for the phone to switch
// off, and hands the task to the worker with the abort signal clear. A transfer at a speed the
// loader has no code for is refused first (result 8, nothing sent to the phone).
void startTask(PhoneLink& link, AtExchange& at, PhoneWorker& worker, uint8_t code, const TaskStartSettings& settings);

}  // namespace qv
