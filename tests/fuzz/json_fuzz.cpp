// vyrctl --json strings: whatever bytes a device sends, the result must be one valid JSON
// string holding valid UTF-8, and text that already was UTF-8 must come back unchanged.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/json_text.h"
#include "fuzz_port.h"
#include "settings/text.h"

using namespace vyr;

namespace {

bool IsUtf8(std::string_view text) {
    return WideToUtf8(Utf8ToWide(text)) == text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A strict reader of one JSON string literal filling all of `json`; nothing when it is not
// one. \u escapes are accepted below 0x80 only, the range the writer uses them for.
std::optional<std::string> ReadJsonString(std::string_view json) {
    if (json.size() < 2 || json.front() != '"' || json.back() != '"')
        return std::nullopt;
    json = json.substr(1, json.size() - 2);
    std::string text;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '"' || static_cast<unsigned char>(c) < 0x20)
            return std::nullopt;
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i == json.size())
            return std::nullopt;
        switch (json[i]) {
            case '"': text += '"'; break;
            case '\\': text += '\\'; break;
            case '/': text += '/'; break;
            case 'n': text += '\n'; break;
            case 't': text += '\t'; break;
            case 'r': text += '\r'; break;
            case 'b': text += '\b'; break;
            case 'f': text += '\f'; break;
            case 'u': {
                if (i + 4 >= json.size())
                    return std::nullopt;
                int code = 0;
                for (int k = 1; k <= 4; ++k) {
                    const int digit = HexDigit(json[i + k]);
                    if (digit < 0)
                        return std::nullopt;
                    code = code * 16 + digit;
                }
                if (code >= 0x80)
                    return std::nullopt;
                text += static_cast<char>(code);
                i += 4;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string json = cli::JsonString(input);
    const auto read = ReadJsonString(json);
    VYR_FUZZ_CHECK(read.has_value());
    VYR_FUZZ_CHECK(IsUtf8(*read));
    if (IsUtf8(input))
        VYR_FUZZ_CHECK(*read == input);
    return 0;
}
