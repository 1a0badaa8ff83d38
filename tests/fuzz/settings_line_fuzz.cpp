// One line of a settings file: the line parser, the ampersand escapes and the checksum.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_port.h"
#include "settings/settings_file.h"

using namespace vyr;

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

void CheckParsed(std::string_view line, bool wantPreset) {
    const auto parsed = ParseSettingsLine(line, wantPreset);
    if (!parsed)
        return;
    VYR_FUZZ_CHECK(parsed->preset >= 0 && parsed->preset <= 9);
    VYR_FUZZ_CHECK(wantPreset || parsed->preset == 0);
    VYR_FUZZ_CHECK(!parsed->key.empty() && parsed->key.size() <= 60);
    VYR_FUZZ_CHECK(parsed->key.find('=') == std::string::npos);
    VYR_FUZZ_CHECK(parsed->value.size() <= 60);
    VYR_FUZZ_CHECK(parsed->value.empty() || !IsBlank(parsed->value.back()));
    // Key and value are the unescaped line's own text, in order.
    const std::string unescaped = UnescapeLine(line);
    const std::string entry = parsed->key + "=" + parsed->value;
    VYR_FUZZ_CHECK(unescaped.find(entry) != std::string::npos);
}

void CheckEscapes(std::string_view text) {
    const std::string escaped = EscapeLine(text);
    VYR_FUZZ_CHECK(UnescapeLine(escaped) == text);
    // An escaped line is one line, and the escaped characters are gone from it.
    for (const char c : escaped) {
        const auto u = static_cast<unsigned char>(c);
        VYR_FUZZ_CHECK(c != '\n');
        VYR_FUZZ_CHECK(!(u == 0xE4 || u == 0xF6 || u == 0xFC || u == 0xC4 || u == 0xD6 ||
                         u == 0xDC || u == 0xDF || u == 0xA7 || u == 0xB0 || u == 0xB4));
    }
    // Unescaping never makes a text longer.
    VYR_FUZZ_CHECK(UnescapeLine(text).size() <= text.size());
}

bool IsLowerHex(std::string_view text) {
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

void CheckChecksum(std::string_view text) {
    const std::string sum = SettingsChecksum(text);
    VYR_FUZZ_CHECK(!sum.empty() && sum.size() <= 8);
    VYR_FUZZ_CHECK(IsLowerHex(sum));
    VYR_FUZZ_CHECK(sum == "0" || sum.front() != '0');

    // Summed in two pieces: the same.
    const std::size_t half = text.size() / 2;
    RunningChecksum pieces;
    pieces.Add(text.substr(0, half));
    pieces.Add(text.substr(half));
    VYR_FUZZ_CHECK(pieces.Hex() == sum);

    // Only printable ASCII counts.
    std::string printable;
    for (const char c : text) {
        if (c >= 0x20 && c <= 0x7E)
            printable.push_back(c);
    }
    VYR_FUZZ_CHECK(SettingsChecksum(printable) == sum);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    CheckParsed(line, true);
    CheckParsed(line, false);
    CheckEscapes(line);
    CheckChecksum(line);
    return 0;
}
