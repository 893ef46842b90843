#include "demo_model/demo_melody.h"

#include "demo_model/demo_random.h"

#include <algorithm>

namespace qv::demo {
namespace {

void appendU32be(QByteArray& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.append(char(v >> shift));
}

QByteArray chunk(const QByteArray& tag, const QByteArray& body) {
    QByteArray out = tag;
    appendU32be(out, uint32_t(body.size()));
    return out + body;
}

uint16_t crc16(const QByteArray& bytes) {  // CCITT polynomial, all-ones start, inverted result
    uint16_t crc = 0xFFFF;
    for (char c : bytes) {
        crc ^= uint16_t(uint8_t(c) << 8);
        for (int k = 0; k < 8; ++k) crc = uint16_t(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return uint16_t(~crc);
}

}  // namespace

QByteArray makeDemoMelody(const QByteArray& title, int totalSize, uint32_t seed) {
    const QByteArray contentsInfo = chunk("CNTI", QByteArray("\x00\x32\x01\x00\x00", 5));
    QByteArray titleField("ST");
    const QByteArray t = title.left(64);
    titleField.append(char(t.size() >> 8)).append(char(t.size() & 0xFF)).append(t);
    const QByteArray optionalData = chunk("OPDA", titleField);

    const int fixed = 8 + contentsInfo.size() + optionalData.size() + 8 + 2;
    const int trackSize = std::max(16, totalSize - fixed);
    QByteArray track("\x00\x02\x02\x02", 4);  // format, sequence type, time bases
    DemoRandom rnd(seed);
    while (track.size() < trackSize) {
        // Duration, note and gate bytes in the ranges a score track uses.
        track.append(char(rnd.nextByte() & 0x3F));
        track.append(char(0x20 + rnd.nextByte() % 0x40));
        track.append(char(rnd.nextByte() & 0x7F));
    }
    track.truncate(trackSize - 4);
    track.append(QByteArray("\x00\x00\x00\x00", 4));  // end of sequence

    QByteArray body = contentsInfo + optionalData + chunk(QByteArray("MTR\x05", 4), track);
    QByteArray file("MMMD");
    appendU32be(file, uint32_t(body.size() + 2));
    file += body;
    const uint16_t crc = crc16(file);
    file.append(char(crc >> 8)).append(char(crc & 0xFF));
    return file;
}

}  // namespace qv::demo
