#include "phone_emu/loader_command_parser.h"

namespace qv::emu {

namespace {

uint32_t bigEndian32(QByteArrayView bytes, int at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | uint8_t(bytes[at + i]);
    return value;
}

}  // namespace

uint16_t writeChecksum(QByteArrayView bytes, uint16_t start) {
    uint16_t sum = start;
    for (char b : bytes) sum = uint16_t(sum - uint8_t(b));
    return sum;
}

std::optional<uint32_t> baudForSpeedCode(uint8_t code) {
    for (const LoaderSpeedCode& s : kLoaderSpeedCodes)
        if (s.code == code) return s.baud;
    return std::nullopt;
}

void LoaderCommandParser::reset() {
    stage_ = Stage::Command;
    command_ = {};
    fields_.clear();
}

std::optional<LoaderCommand> LoaderCommandParser::feed(uint8_t byte) {
    switch (stage_) {
    case Stage::Command:
        command_ = {};
        fields_.clear();
        checksum_ = kChecksumStart;
        switch (byte) {
        case kCommandPadding: command_.kind = LoaderCommand::Kind::Padding; return command_;
        case kCommandFinish: command_.kind = LoaderCommand::Kind::Finish; return command_;
        case kCommandSpeedSwitch: command_.kind = LoaderCommand::Kind::SpeedSwitch; fieldsWanted_ = 1; break;
        case kCommandRead: command_.kind = LoaderCommand::Kind::Read; fieldsWanted_ = 8; break;
        case kCommandWrite: command_.kind = LoaderCommand::Kind::WriteSegment; fieldsWanted_ = 4; break;
        default:
            command_.kind = LoaderCommand::Kind::Unknown;
            command_.code = byte;
            return command_;
        }
        stage_ = Stage::Fields;
        return std::nullopt;
    case Stage::Fields:
        fields_.append(char(byte));
        if (fields_.size() < fieldsWanted_) return std::nullopt;
        return fieldsComplete();
    case Stage::Data:
        checksum_ = uint16_t(checksum_ - byte);
        if (command_.length <= kSegmentBoundary) command_.data.append(char(byte));
        if (--dataLeft_ == 0) stage_ = Stage::Checksum;
        return std::nullopt;
    case Stage::Checksum:
        fields_.append(char(byte));
        if (fields_.size() < 2) return std::nullopt;
        command_.checksumSent = uint16_t(uint8_t(fields_[0]) << 8 | uint8_t(fields_[1]));
        command_.checksumComputed = checksum_;
        stage_ = Stage::Command;
        return command_;
    }
    return std::nullopt;
}

std::optional<LoaderCommand> LoaderCommandParser::fieldsComplete() {
    using Kind = LoaderCommand::Kind;
    if (command_.kind == Kind::SpeedSwitch) {
        command_.code = uint8_t(fields_[0]);
        stage_ = Stage::Command;
        return command_;
    }
    command_.address = bigEndian32(fields_, 0);
    if (command_.kind == Kind::Read) {
        command_.length = bigEndian32(fields_, 4);
        stage_ = Stage::Command;
        return command_;
    }
    // Only a write is left; its address alone tells a segment from the end of a series.
    if (fields_.size() == 4) {
        if (command_.address == 0) {
            command_.kind = Kind::EndOfWrite;
            stage_ = Stage::Command;
            return command_;
        }
        fieldsWanted_ = 8;
        return std::nullopt;
    }
    command_.length = bigEndian32(fields_, 4);
    checksum_ = writeChecksum(fields_, checksum_);
    if (command_.length <= kSegmentBoundary) command_.data.reserve(int(command_.length));
    dataLeft_ = command_.length;
    fields_.clear();
    stage_ = dataLeft_ == 0 ? Stage::Checksum : Stage::Data;
    return std::nullopt;
}

}  // namespace qv::emu
