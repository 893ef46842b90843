#pragma once
// What a phone session is made of: the link, the AT exchange and the worker. Only the session
// itself (and the tests of the session) sees them; the front ends go through PhoneSession.
#include "link/at_exchange.h"
#include "link/phone_link.h"
#include "session/phone_session.h"
#include "session/phone_worker.h"

namespace qv {

struct PhoneSession::Parts {
    PhoneLink link;
    AtExchange at{link};
    PhoneWorker worker{link, at};
};

// The tests' way in to a session's parts.
class PhoneSessionProbe {
public:
    static PhoneSession::Parts& parts(PhoneSession& session) { return *session.parts_; }
};

}  // namespace qv
