#include "phone_emu/boot_code.h"

#include "link/loader_protocol.h"
#include "phone_emu/stand_in_loader.h"

namespace qv::emu {

void BootCode::restart() {
    state_ = State::Greeting;
    header_.clear();
    loaderCount_ = 0;
    loaderMatches_ = true;
}

BootCode::Event BootCode::feed(uint8_t byte) {
    switch (state_) {
    case State::Greeting:
        if (byte != kBootGreeting) return Event::None;
        state_ = State::Header;
        header_.clear();
        return Event::AnswerGreeting;
    case State::Header:
        // The host keeps greeting until it has seen an answer, so greetings may still come
        // where the header should start. Answering them again costs the host nothing and gets
        // a host unstuck that is greeting a boot code which took a stray 0x45 for a greeting.
        if (header_.isEmpty() && byte == kBootGreeting) return Event::AnswerGreeting;
        header_.append(char(byte));
        if (header_.size() < int(kBootHeader.size())) return Event::None;
        if (header_ != QByteArrayView(kBootHeader.data(), kBootHeader.size())) {
            restart();
            return Event::BadHeader;
        }
        state_ = State::Loader;
        loaderCount_ = 0;
        loaderMatches_ = true;
        return Event::None;
    case State::Loader: {
        static const QByteArray image = standInLoaderImage();
        loaderMatches_ = loaderMatches_ && char(byte) == image[loaderCount_];
        if (++loaderCount_ < kLoaderImageSize) return Event::None;
        if (!loaderMatches_) {
            restart();
            return Event::BadLoader;
        }
        state_ = State::Started;
        return Event::LoaderAccepted;
    }
    case State::Started:
        return byte == kLoaderAck ? Event::Confirmed : Event::None;
    }
    return Event::None;
}

}  // namespace qv::emu
