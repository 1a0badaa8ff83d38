// The text conversions every setting value, user name and number text goes through.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "fuzz_port.h"
#include "settings/text.h"

using namespace vyr;

namespace {

void CheckWidening(std::string_view text) {
    const std::wstring wide = WidenSettingText(text);
    VYR_FUZZ_CHECK(wide.size() == text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        VYR_FUZZ_CHECK(wide[i] == (IsPermittedCharacter(c) ? static_cast<wchar_t>(c) : L'_'));
    }
    // Widened text is all permitted: narrowing it back changes nothing.
    const std::string narrow = NarrowSettingText(wide, NarrowMode::Replace);
    VYR_FUZZ_CHECK(NarrowSettingText(wide, NarrowMode::Drop) == narrow);
    VYR_FUZZ_CHECK(WidenSettingText(narrow) == wide);
}

// Every four bytes make one wide character, so that values beyond Latin-1 are tried too.
void CheckNarrowing(const std::uint8_t* data, std::size_t size) {
    std::wstring wide;
    for (std::size_t i = 0; i + 4 <= size; i += 4) {
        const std::uint32_t code = std::uint32_t{data[i]} << 24 | std::uint32_t{data[i + 1]} << 16 |
                                   std::uint32_t{data[i + 2]} << 8 | data[i + 3];
        wide.push_back(static_cast<wchar_t>(code));
    }
    const std::string replaced = NarrowSettingText(wide, NarrowMode::Replace);
    const std::string dropped = NarrowSettingText(wide, NarrowMode::Drop);
    VYR_FUZZ_CHECK(replaced.size() == wide.size());
    VYR_FUZZ_CHECK(dropped.size() <= wide.size());
    for (const char c : replaced)
        VYR_FUZZ_CHECK(IsPermittedCharacter(static_cast<unsigned char>(c)));
    for (const char c : dropped)
        VYR_FUZZ_CHECK(IsPermittedCharacter(static_cast<unsigned char>(c)));

    std::wstring filtered = wide;
    FilterText(filtered, false);
    VYR_FUZZ_CHECK(NarrowSettingText(filtered, NarrowMode::Replace) == replaced);
    std::wstring strict = wide;
    FilterText(strict, true);
    for (const wchar_t w : strict)
        VYR_FUZZ_CHECK(w == L'_' || IsStrictCharacter(static_cast<char32_t>(w)));
}

// Length of the well-formed UTF-8 character at the start of `text` (shortest form, no
// surrogate, at most U+10FFFF), or 0.
std::size_t Utf8CharacterLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const auto tail = [&](std::size_t i) { return i < text.size() && (byte(i) & 0xC0) == 0x80; };
    const unsigned char c = byte(0);
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return tail(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!tail(1) || !tail(2))
            return 0;
        if ((c == 0xE0 && byte(1) < 0xA0) || (c == 0xED && byte(1) >= 0xA0))
            return 0;  // overlong, or a surrogate
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!tail(1) || !tail(2) || !tail(3))
            return 0;
        if ((c == 0xF0 && byte(1) < 0x90) || (c == 0xF4 && byte(1) >= 0x90))
            return 0;  // overlong, or beyond U+10FFFF
        return 4;
    }
    return 0;
}

bool IsUtf8(std::string_view text) {
    while (!text.empty()) {
        const std::size_t length = Utf8CharacterLength(text);
        if (length == 0)
            return false;
        text.remove_prefix(length);
    }
    return true;
}

// UTF-8 to wide: each well-formed character becomes that character, each byte that does
// not start one (overlong forms, surrogates and codes beyond U+10FFFF included) becomes "_".
void CheckUtf8(std::string_view text) {
    const std::wstring wide = Utf8ToWide(text);
    std::string_view rest = text;
    for (const wchar_t w : wide) {
        VYR_FUZZ_CHECK(!rest.empty());
        const std::size_t length = Utf8CharacterLength(rest);
        if (length == 0) {
            VYR_FUZZ_CHECK(w == L'_');
            rest.remove_prefix(1);
        } else {
            VYR_FUZZ_CHECK(WideToUtf8(std::wstring(1, w)) == rest.substr(0, length));
            rest.remove_prefix(length);
        }
    }
    VYR_FUZZ_CHECK(rest.empty());
    if (IsUtf8(text))
        VYR_FUZZ_CHECK(WideToUtf8(wide) == text);
    VYR_FUZZ_CHECK(Utf8ToWide(Latin1ToUtf8(text)) == Latin1ToWide(text));
}

// C's reading of a leading integer (strtoll saturates at the 64-bit limits).
std::int64_t ExpectedLeading(std::string_view text) {
    const std::string copy(text.substr(0, text.find('\0')));
    return std::strtoll(copy.c_str(), nullptr, 10);
}

void CheckIntegers(std::string_view text) {
    const std::int64_t leading = ReadLeadingInteger(text);
    const std::int64_t expected = ExpectedLeading(text);
    // Within the 64-bit range the two readings agree; beyond it both saturate, though not
    // at the same bound.
    if (expected > std::numeric_limits<std::int64_t>::min() / 16 &&
        expected < std::numeric_limits<std::int64_t>::max() / 16) {
        VYR_FUZZ_CHECK(leading == expected);
    } else {
        VYR_FUZZ_CHECK((leading < 0) == (expected < 0));
    }

    // One whole integer: blanks, one optional sign, digits, nothing after; 32 bits.
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::size_t digits = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i;
    const bool wellFormed = i > digits && i == text.size() &&
                            leading >= std::numeric_limits<std::int32_t>::min() &&
                            leading <= std::numeric_limits<std::int32_t>::max();
    const auto whole = ParseWholeInteger(text);
    VYR_FUZZ_CHECK(whole.has_value() == wellFormed);
    if (whole)
        VYR_FUZZ_CHECK(*whole == leading);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckWidening(text);
    CheckNarrowing(data, size);
    CheckUtf8(text);
    CheckIntegers(text);
    return 0;
}
