#include "phone_emu/stand_in_loader.h"

namespace qv::emu {

QByteArray standInLoaderImage() {
    // A readable tag helps when someone finds the file on disk; the rest is a fixed
    // pseudo-random sequence so that a single wrong or missing byte changes the comparison.
    static const QByteArray image = [] {
        QByteArray bytes("QUORVANTA PHONE EMULATOR STAND-IN LOADER - NOT FOR A REAL PHONE\n");
        uint32_t state = 0x2545F491u;
        while (bytes.size() < kLoaderImageSize) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            bytes.append(char(state >> 24));
        }
        return bytes;
    }();
    return image;
}

}  // namespace qv::emu
