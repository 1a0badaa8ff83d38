#include "cli/device_text.h"

#include "settings/text.h"

namespace vyr::cli {

namespace {

// One character in UTF-8 that a terminal would take as a control: C0, DEL, or C1 (U+0080 to
// U+009F, two bytes).
bool IsControl(std::string_view character) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(character[i]); };
    if (character.size() == 1)
        return byte(0) < 0x20 || byte(0) == 0x7F;
    return character.size() == 2 && byte(0) == 0xC2 && byte(1) <= 0x9F;
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

std::string TerminalText(std::string_view deviceBytes) {
    std::string shown;
    shown.reserve(deviceBytes.size());
    while (!deviceBytes.empty()) {
        const std::size_t length = Utf8SequenceLength(deviceBytes);
        const std::string character = length == 0 ? Latin1ToUtf8(deviceBytes.substr(0, 1))
                                                  : std::string(deviceBytes.substr(0, length));
        shown += IsControl(character) ? "_" : character;
        deviceBytes.remove_prefix(length == 0 ? 1 : length);
    }
    return shown;
}

std::string TerminalReport(std::wstring_view report) {
    const std::string utf8 = WideToUtf8(report);
    std::string text;
    std::size_t start = 0;
    while (start < utf8.size()) {
        const std::size_t end = utf8.find('\n', start);
        const std::size_t stop = end == std::string::npos ? utf8.size() : end;
        text += TerminalText(std::string_view(utf8).substr(start, stop - start));
        if (end != std::string::npos)
            text += '\n';
        start = stop + 1;
    }
    return text;
}

}  // namespace vyr::cli
