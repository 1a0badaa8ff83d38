#include "sim/frame_log.h"

namespace vyrsim {

std::string Escape(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte > 0x7e) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0f];
        } else {
            out += c;
        }
    }
    return out;
}

std::string FormatFrameLine(Direction direction, const serial_link::CommandFrame& frame) {
    std::string line = direction == Direction::In ? "in  " : "out ";
    line += std::to_string(frame.command);
    line += ' ';
    line += Escape(frame.Name());
    // A password never reaches a log, whichever way it is sent.
    const bool secret =
        frame.command == serial_link::kLogin || frame.command == serial_link::kSetPassword;
    if (secret) {
        line += frame.payload_is_text == 0 ? " int ***" : " text \"***\"";
    } else if (frame.payload_is_text == 0) {
        line += " int ";
        line += std::to_string(frame.PayloadInteger());
    } else {
        line += " text \"";
        line += Escape(frame.PayloadText());
        line += '"';
    }
    return line;
}

}  // namespace vyrsim
