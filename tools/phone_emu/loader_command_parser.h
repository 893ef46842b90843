#pragma once
// Reads the running loader's commands (link/loader_protocol.h) out of the bytes the host sends.
#include "link/loader_protocol.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <optional>

namespace qv::emu {

struct LoaderCommand {
    enum class Kind {
        Padding,       // a zero byte: what the host sends instead of a speed it cannot name
        SpeedSwitch,   // 'S' code
        Read,          // 'R' address length
        WriteSegment,  // 'W' address length data checksum
        EndOfWrite,    // 'W' 00 00 00 00
        Finish,        // 'u'
        Unknown,
    };
    Kind kind = Kind::Unknown;
    uint8_t code = 0;  // the speed code, or the unknown command byte
    uint32_t address = 0;
    uint32_t length = 0;
    QByteArray data;  // empty when the segment is longer than kSegmentBoundary
    uint16_t checksumSent = 0;
    uint16_t checksumComputed = 0;
};

// `start` minus every byte, modulo 65,536.
uint16_t writeChecksum(QByteArrayView bytes, uint16_t start = kChecksumStart);

std::optional<uint32_t> baudForSpeedCode(uint8_t code);

class LoaderCommandParser {
public:
    // A command once its last byte has arrived.
    std::optional<LoaderCommand> feed(uint8_t byte);
    void reset();

private:
    enum class Stage { Command, Fields, Data, Checksum };
    std::optional<LoaderCommand> fieldsComplete();

    Stage stage_ = Stage::Command;
    LoaderCommand command_;
    QByteArray fields_;
    int fieldsWanted_ = 0;
    uint32_t dataLeft_ = 0;
    uint16_t checksum_ = 0;
};

}  // namespace qv::emu
