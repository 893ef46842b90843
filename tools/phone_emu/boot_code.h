#pragma once
// The phone's boot code from power-on until a loader runs: it answers the host's greeting,
// takes the header and the loader image, and waits for the host to confirm the started loader.
#include <QByteArray>
#include <cstdint>

namespace qv::emu {

class BootCode {
public:
    enum class Event {
        None,
        AnswerGreeting,  // send 'C'
        BadHeader,       // back to waiting for a greeting
        BadLoader,       // the image differs: it would crash, so the boot code starts over
        LoaderAccepted,  // the loader starts and should announce itself
        Confirmed,       // the host answered the announcement; loader commands follow
    };

    Event feed(uint8_t byte);
    void restart();

private:
    enum class State { Greeting, Header, Loader, Started };
    State state_ = State::Greeting;
    QByteArray header_;
    int loaderCount_ = 0;
    bool loaderMatches_ = true;
};

}  // namespace qv::emu
