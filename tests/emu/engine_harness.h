#pragma once
// Drives a PhoneEngine the way a host would, on a made-up clock.
#include "phone_emu/flash_store.h"
#include "phone_emu/phone_engine.h"
#include "support/test_support.h"

#include <QByteArray>
#include <QString>
#include <memory>

namespace emutest {

using qv::emu::Time;

inline Time ms(int64_t n) { return qv::emu::milliseconds(n); }

// Loader addresses whose table address (A + 8) lands at `offset` in dump 1 or dump 2.
inline uint32_t dump1Address(uint32_t offset) { return 0x01000000u + offset - 8; }
inline uint32_t dump2Address(uint32_t offset) { return 0x02000000u + offset - 8; }

QByteArray bigEndian(uint32_t value);
// "W", address, length, data and the checksum, as the host sends a segment.
QByteArray writeSegment(uint32_t address, const QByteArray& data);
QByteArray readCommand(uint32_t address, uint32_t length);

class EngineHarness {
public:
    explicit EngineHarness(qv::emu::PhoneSettings settings = {}, const QString& dump1 = {}, const QString& dump2 = {});
    EngineHarness(const EngineHarness&) = delete;  // the engine points at our flash
    EngineHarness& operator=(const EngineHarness&) = delete;

    // Feeds the bytes one by one at the current time, lets `settle` pass, and returns what the
    // phone sent meanwhile.
    QByteArray exchange(QByteArrayView bytes, Time settle = ms(1000));
    void wait(Time span);
    QByteArray take();

    // The end key, and the boot delay: afterwards the boot code waits for a greeting.
    void pressEndKey();
    // End key, greeting, header, image and confirmation: afterwards the loader takes commands.
    // Returns the loader's announcement.
    QByteArray startLoader();

    qv::emu::FlashStore flash;
    qv::emu::PhoneEngine engine;
    Time now = ms(1);
    std::vector<qv::emu::Outgoing> sent;  // everything, with rates and times
};

// Bytes that differ from their neighbours, so that a read from the wrong place shows.
QByteArray pattern(int size, int seed);

// A phone whose loader runs over two dump files in a scratch folder.
struct LoaderPhone {
    explicit LoaderPhone(qv::emu::PhoneSettings settings = {});
    // Reads back through the loader, as the host would.
    QByteArray read(uint32_t address, uint32_t length);

    qvtest::ScratchDir dir;
    QString path1 = dir.path("one.bin");
    QString path2 = dir.path("two.bin");
    QByteArray dump1 = pattern(0x40000, 1);
    QByteArray dump2 = pattern(0x20000, 100);
    std::unique_ptr<EngineHarness> phone;
    QByteArray announcement;
};

}  // namespace emutest
