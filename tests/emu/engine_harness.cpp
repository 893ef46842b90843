#include "emu/engine_harness.h"

#include "phone_emu/loader_command_parser.h"
#include "phone_emu/stand_in_loader.h"

#include <gtest/gtest.h>

namespace emutest {

QByteArray bigEndian(uint32_t value) {
    QByteArray out;
    for (int shift = 24; shift >= 0; shift -= 8) out.append(char(value >> shift));
    return out;
}

QByteArray writeSegment(uint32_t address, const QByteArray& data) {
    const QByteArray fields = bigEndian(address) + bigEndian(uint32_t(data.size())) + data;
    const uint16_t sum = qv::emu::writeChecksum(fields);
    return 'W' + fields + char(sum >> 8) + char(sum & 0xFF);
}

QByteArray readCommand(uint32_t address, uint32_t length) { return 'R' + bigEndian(address) + bigEndian(length); }

EngineHarness::EngineHarness(qv::emu::PhoneSettings settings, const QString& dump1, const QString& dump2)
    : engine(std::move(settings), &flash) {
    const qv::Result loaded = flash.load(dump1, dump2);
    if (!loaded) ADD_FAILURE() << loaded.message().toStdString();
}

QByteArray EngineHarness::exchange(QByteArrayView bytes, Time settle) {
    for (char b : bytes) engine.receive(uint8_t(b), now);
    wait(settle);
    return take();
}

void EngineHarness::wait(Time span) {
    now += span;
    engine.advance(now);
}

QByteArray EngineHarness::take() {
    QByteArray all;
    for (auto& out : engine.takeOutput()) {
        all += out.bytes;
        sent.push_back(std::move(out));
    }
    return all;
}

void EngineHarness::pressEndKey() {
    exchange("AT%FKPD=\"e\",100,0\r\r\n");
    wait(ms(1000));
}

QByteArray EngineHarness::startLoader() {
    QByteArray announcement;
    pressEndKey();
    EXPECT_EQ(engine.mode(), qv::emu::PhoneMode::BootCode);
    EXPECT_EQ(exchange("E"), "C");
    const auto& h = qv::kBootHeader;
    announcement = exchange(QByteArray(reinterpret_cast<const char*>(h.data()), h.size()) + qv::emu::standInLoaderImage());
    EXPECT_TRUE(announcement.endsWith(QByteArray("!\x01\x02\x03", 4))) << announcement.toHex().toStdString();
    EXPECT_EQ(exchange("!"), "");
    EXPECT_EQ(engine.mode(), qv::emu::PhoneMode::Loader);
    return announcement;
}

QByteArray pattern(int size, int seed) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) bytes[i] = char((i * 7 + seed + (i >> 8)) & 0xFF);
    return bytes;
}

LoaderPhone::LoaderPhone(qv::emu::PhoneSettings settings) {
    qvtest::writeAll(path1, dump1);
    qvtest::writeAll(path2, dump2);
    phone = std::make_unique<EngineHarness>(std::move(settings), path1, path2);
    announcement = phone->startLoader();
}

QByteArray LoaderPhone::read(uint32_t address, uint32_t length) {
    const QByteArray reply = phone->exchange(readCommand(address, length));
    phone->exchange("!");
    return reply.chopped(2);
}

}  // namespace emutest
