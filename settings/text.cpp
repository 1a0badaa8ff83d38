#include "text.h"

#include <limits>

namespace vyr {

const std::array<unsigned char, 106> PermittedCharacters = [] {
    std::array<unsigned char, 106> chars{};
    std::size_t n = 0;
    for (char c = 'a'; c <= 'z'; ++c)
        chars[n++] = static_cast<unsigned char>(c);
    for (char c = 'A'; c <= 'Z'; ++c)
        chars[n++] = static_cast<unsigned char>(c);
    for (int c : {0xE4, 0xF6, 0xFC, 0xC4, 0xD6, 0xDC})
        chars[n++] = static_cast<unsigned char>(c);
    for (char c = '0'; c <= '9'; ++c)
        chars[n++] = static_cast<unsigned char>(c);
    chars[n++] = '_';
    for (int c : {0xDF, 0xA7, 0xB0, 0xB4})
        chars[n++] = static_cast<unsigned char>(c);
    chars[n++] = ' ';
    for (char c : std::string_view("/\\()|{}[].,:;#!?%$<>'\"*+`^-&@~="))
        chars[n++] = static_cast<unsigned char>(c);
    chars[n++] = '\n';
    return chars;
}();

namespace {

// 0 = not permitted, 1 = permitted, 2 = permitted and strict.
const std::array<unsigned char, 256> kClass = [] {
    std::array<unsigned char, 256> table{};
    for (std::size_t i = 0; i < PermittedCharacters.size(); ++i) {
        table[PermittedCharacters[i]] = i < kStrictCharacterCount ? 2 : 1;
    }
    return table;
}();

bool IsCBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

struct ScannedInteger {
    std::int64_t value = 0;
    std::size_t end = 0;  // position after the last digit (or after blanks and sign)
    bool anyDigit = false;
};

// Leading white space, at most one sign, then decimal digits up to the first other
// character. The value saturates far beyond 32 bits instead of overflowing.
ScannedInteger ScanInteger(std::string_view text) {
    ScannedInteger scanned;
    std::size_t i = 0;
    while (i < text.size() && IsCBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / 10 - 9;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        scanned.anyDigit = true;
        if (scanned.value < kLimit)
            scanned.value = scanned.value * 10 + (text[i] - '0');
    }
    scanned.end = i;
    if (negative)
        scanned.value = -scanned.value;
    return scanned;
}

}  // namespace

bool IsPermittedCharacter(char32_t c) {
    return c < 256 && kClass[c] != 0;
}

bool IsStrictCharacter(char32_t c) {
    return c < 256 && kClass[c] == 2;
}

std::string FilterDeviceText(std::string_view latin1) {
    std::string filtered(latin1);
    for (char& c : filtered) {
        if (!IsPermittedCharacter(static_cast<unsigned char>(c)))
            c = '_';
    }
    return filtered;
}

std::wstring WidenSettingText(std::string_view text) {
    return Latin1ToWide(FilterDeviceText(text));
}

std::string NarrowSettingText(std::wstring_view wide, NarrowMode mode) {
    std::string narrow;
    narrow.reserve(wide.size());
    for (wchar_t w : wide) {
        const auto c = static_cast<char32_t>(w);
        if (IsPermittedCharacter(c)) {
            narrow.push_back(static_cast<char>(c));
        } else if (mode == NarrowMode::Replace) {
            narrow.push_back('_');
        }
    }
    return narrow;
}

void FilterText(std::wstring& wide, bool strict) {
    for (wchar_t& w : wide) {
        const auto c = static_cast<char32_t>(w);
        if (!(strict ? IsStrictCharacter(c) : IsPermittedCharacter(c)))
            w = L'_';
    }
}

std::string_view TrimTrailingBlanks(std::string_view text) {
    const auto end = text.find_last_not_of(" \t\n\r");
    return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

std::int64_t ReadLeadingInteger(std::string_view text) {
    return ScanInteger(text).value;
}

std::optional<std::int32_t> ParseWholeInteger(std::string_view text) {
    const ScannedInteger scanned = ScanInteger(text);
    if (!scanned.anyDigit || scanned.end != text.size() ||
        scanned.value < std::numeric_limits<std::int32_t>::min() ||
        scanned.value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(scanned.value);
}

std::string WideToUtf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        auto c = static_cast<char32_t>(wide[i]);
        // Where wide strings are UTF-16 (Windows), a surrogate pair is one character.
        if constexpr (sizeof(wchar_t) == 2) {
            c &= 0xFFFF;
            const auto low = i + 1 < wide.size() ? static_cast<char32_t>(wide[i + 1]) & 0xFFFF : 0;
            if (c >= 0xD800 && c <= 0xDBFF && low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::wstring Utf8ToWide(std::string_view text) {
    std::wstring wide;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int length = c < 0x80         ? 1
                           : (c >> 5) == 6  ? 2
                           : (c >> 4) == 14 ? 3
                           : (c >> 3) == 30 ? 4
                                            : 0;
        char32_t code = length == 1   ? c
                        : length == 2 ? c & 0x1Fu
                        : length == 3 ? c & 0x0Fu
                                      : c & 0x07u;
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3Fu);
        }
        // Each length has a smallest code (shorter forms are overlong); surrogates and codes
        // above U+10FFFF are no characters.
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && code >= kSmallest[length] && code <= 0x10FFFF &&
                (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            wide.push_back(L'_');
        } else if (sizeof(wchar_t) == 2 && code > 0xFFFF) {
            wide.push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
            wide.push_back(static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            wide.push_back(static_cast<wchar_t>(code));
        }
        i += valid ? static_cast<std::size_t>(length) : 1;
    }
    return wide;
}

std::wstring Latin1ToWide(std::string_view latin1) {
    std::wstring wide;
    wide.reserve(latin1.size());
    for (char c : latin1)
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return wide;
}

std::string Latin1ToUtf8(std::string_view latin1) {
    return WideToUtf8(Latin1ToWide(latin1));
}

}  // namespace vyr
