// The command frame: the fixed 444-byte message exchanged with the device, and its codec.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace serial_link {

inline constexpr std::size_t kFrameSize = 444;
inline constexpr std::size_t kNameSize = 256;     // at most 255 characters and a NUL
inline constexpr std::size_t kPayloadSize = 180;  // at most 179 characters and a NUL

// Command codes.
enum Command : std::uint32_t {
    kWriteFile = 0,
    kReadFile = 1,
    kReply = 2,
    kRefused = 3,  // the device's answer to a request it cannot serve
    kLoopbackTest = 4,
    kRepeatRequest = 5,
    kMessage = 6,
    kSetPassword = 11,
    kLogin = 12,
    kSetUserLevel = 15,
    kRunCommand = 17,
    kNoReply = 18,  // never sent: marks a reply frame before a strict receive attempt
    kReadLines = 19,
    kAppendLine = 20,
};

// Frame in host byte order, with the wire layout's field sizes.
struct CommandFrame {
    std::uint32_t command = 0;
    std::array<char, kNameSize> name{};
    std::uint32_t payload_is_text = 1;
    std::array<unsigned char, kPayloadSize> payload{};

    // Texts read within their fields: a field without a NUL ends at its last byte.
    std::string_view Name() const;
    std::string_view PayloadText() const;
    std::int32_t PayloadInteger() const;

    // False, and nothing changed, when the text does not fit its field (or holds a NUL).
    bool SetName(std::string_view text);
    bool SetPayloadText(std::string_view text);
    void SetPayloadInteger(std::int32_t value);
};

using WireFrame = std::array<unsigned char, kFrameSize>;

// Host frame to wire bytes (big-endian integers; the payload integer only when
// payload_is_text is 0) and back. The source is never changed.
void EncodeFrame(const CommandFrame& frame, WireFrame& wire);
void DecodeFrame(const WireFrame& wire, CommandFrame& frame);

// A frame with its fields set; false when a text does not fit.
bool BuildTextFrame(CommandFrame& frame, std::uint32_t command, std::string_view name,
                    std::string_view text);
bool BuildIntegerFrame(CommandFrame& frame, std::uint32_t command, std::string_view name,
                       std::int32_t value);

}  // namespace serial_link
