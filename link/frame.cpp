#include "frame.h"

#include <algorithm>
#include <cstring>

namespace serial_link {

namespace {

// Wire offsets.
constexpr std::size_t kCommandAt = 0;
constexpr std::size_t kNameAt = 4;
constexpr std::size_t kKindAt = kNameAt + kNameSize;  // payload_is_text
constexpr std::size_t kPayloadAt = kKindAt + 4;
static_assert(kPayloadAt + kPayloadSize == kFrameSize);

void PutBig(unsigned char* at, std::uint32_t value) {
    at[0] = static_cast<unsigned char>(value >> 24);
    at[1] = static_cast<unsigned char>(value >> 16);
    at[2] = static_cast<unsigned char>(value >> 8);
    at[3] = static_cast<unsigned char>(value);
}

std::uint32_t GetBig(const unsigned char* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) |
           (std::uint32_t{at[2]} << 8) | std::uint32_t{at[3]};
}

std::string_view BoundedText(const char* field, std::size_t size) {
    const auto* end = static_cast<const char*>(std::memchr(field, '\0', size));
    return std::string_view(field, end != nullptr ? static_cast<std::size_t>(end - field) : size);
}

bool CopyText(std::string_view text, char* field, std::size_t size) {
    if (text.size() >= size || text.find('\0') != std::string_view::npos)
        return false;
    std::copy(text.begin(), text.end(), field);
    field[text.size()] = '\0';
    return true;
}

}  // namespace

std::string_view CommandFrame::Name() const {
    return BoundedText(name.data(), name.size());
}

std::string_view CommandFrame::PayloadText() const {
    return BoundedText(reinterpret_cast<const char*>(payload.data()), payload.size());
}

std::int32_t CommandFrame::PayloadInteger() const {
    std::int32_t value;
    std::memcpy(&value, payload.data(), sizeof value);
    return value;
}

bool CommandFrame::SetName(std::string_view text) {
    return CopyText(text, name.data(), name.size());
}

bool CommandFrame::SetPayloadText(std::string_view text) {
    return CopyText(text, reinterpret_cast<char*>(payload.data()), payload.size());
}

void CommandFrame::SetPayloadInteger(std::int32_t value) {
    std::memcpy(payload.data(), &value, sizeof value);
}

void EncodeFrame(const CommandFrame& frame, WireFrame& wire) {
    PutBig(&wire[kCommandAt], frame.command);
    std::memcpy(&wire[kNameAt], frame.name.data(), kNameSize);
    PutBig(&wire[kKindAt], frame.payload_is_text);
    std::memcpy(&wire[kPayloadAt], frame.payload.data(), kPayloadSize);
    if (frame.payload_is_text == 0) {
        PutBig(&wire[kPayloadAt], static_cast<std::uint32_t>(frame.PayloadInteger()));
    }
}

void DecodeFrame(const WireFrame& wire, CommandFrame& frame) {
    frame.command = GetBig(&wire[kCommandAt]);
    std::memcpy(frame.name.data(), &wire[kNameAt], kNameSize);
    frame.payload_is_text = GetBig(&wire[kKindAt]);
    std::memcpy(frame.payload.data(), &wire[kPayloadAt], kPayloadSize);
    if (frame.payload_is_text == 0) {
        frame.SetPayloadInteger(static_cast<std::int32_t>(GetBig(&wire[kPayloadAt])));
    }
}

bool BuildTextFrame(CommandFrame& frame, std::uint32_t command, std::string_view name,
                    std::string_view text) {
    CommandFrame built;
    built.command = command;
    built.payload_is_text = 1;
    if (!built.SetName(name) || !built.SetPayloadText(text))
        return false;
    frame = built;
    return true;
}

bool BuildIntegerFrame(CommandFrame& frame, std::uint32_t command, std::string_view name,
                       std::int32_t value) {
    CommandFrame built;
    built.command = command;
    built.payload_is_text = 0;
    if (!built.SetName(name))
        return false;
    built.SetPayloadInteger(value);
    frame = built;
    return true;
}

}  // namespace serial_link
