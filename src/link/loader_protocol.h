#pragma once
// The bytes the phone's boot code and the uploaded loader understand, shared by the host
// (src/link) and the phone emulator (tools/phone_emu) so that the two cannot drift apart.
// Plain types only: the emulator includes it without linking the link layer.
#include <array>
#include <cstdint>

namespace qv {

// ---- The boot code: greeting, header, loader image, confirmation ----

// The host greets until the boot code answers; the boot code only listens after power-on.
inline constexpr uint8_t kBootGreeting = 0x45;  // 'E'
inline constexpr uint8_t kBootAnswer = 0x43;    // 'C'

// The one loader image the boot code is given; its length is announced in the boot header.
inline constexpr int kLoaderImageSize = 7116;

// Sent after the answer, in front of the loader image. Its last four bytes carry the image's
// length, most significant first.
inline constexpr std::array<uint8_t, 41> kBootHeader = {
    0x6A,                                      // lead byte
    0x80, 0x04, 0x03, 0x00, 0x02, 0x00, 0x01,  // first triple
    0x80, 0x04, 0x00, 0x12, 0x02, 0x08, 0x00,  // second triple
    0x80, 0x04, 0x00, 0x92, 0x02, 0x08, 0x00,  // third triple
    0x80, 0x38, 0x00, 0x08, 0x02, 0x09, 0x00,  // fourth triple
    0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00,
    uint8_t(kLoaderImageSize >> 24), uint8_t(kLoaderImageSize >> 16),
    uint8_t(kLoaderImageSize >> 8), uint8_t(kLoaderImageSize),
};

// The boot code and the loader it starts run at this speed; the loader needs no speed switch
// to stay there.
inline constexpr uint32_t kLoaderStartSpeed = 28800;

// ---- The running loader: one command byte, then big-endian fields ----

// Every answer of the loader that means "done" or "accepted"; the host sends it too, to
// confirm the started loader and to take a read block's data.
inline constexpr uint8_t kLoaderAck = 0x21;  // '!'
// The started loader announces itself with kLoaderAck and this many more bytes, which carry
// nothing the host needs.
inline constexpr int kLoaderAnnouncementTail = 3;

inline constexpr uint8_t kCommandSpeedSwitch = 0x53;  // 'S' speed code
inline constexpr uint8_t kCommandRead = 0x52;         // 'R' address length
// 'W' address length data checksum; with address 0 and nothing after it, the end of a write.
inline constexpr uint8_t kCommandWrite = 0x57;
inline constexpr uint8_t kCommandFinish = 0x75;  // 'u': back to the phone's firmware
// The loader ignores a zero byte: the host sends two instead of a speed switch it cannot name.
inline constexpr uint8_t kCommandPadding = 0x00;

// The bytes that follow a read's data; they carry nothing the host checks.
inline constexpr int kReadTrailerSize = 2;

// A write segment never crosses a multiple of this address, so it is never longer either.
inline constexpr uint32_t kSegmentBoundary = 0x10000;
// A segment's checksum: this, minus every byte of its address, length and data, modulo 65,536.
inline constexpr uint16_t kChecksumStart = 0xFFFF;

// The speeds the loader can be switched to, by the code the speed switch carries.
struct LoaderSpeedCode {
    uint32_t baud;
    uint8_t code;
};
inline constexpr std::array<LoaderSpeedCode, 5> kLoaderSpeedCodes = {{
    {9600, 0x00},
    {19200, 0x01},
    {38400, 0x03},
    {115200, 0x04},
    {230400, 0x05},
}};
// The tables hold an item's address this far above the flash address the loader reads and
// writes the item at.
inline constexpr uint32_t kTableAddressOffset = 8;
// Every speed a transfer can run at, slowest first: the start speed and those with a code.
inline constexpr std::array<uint32_t, 6> kLoaderSpeeds = {9600, 19200, kLoaderStartSpeed, 38400, 115200, 230400};

}  // namespace qv
