// Device text repertoire and the small text helpers every setting value goes through.
//
// Setting values are 8-bit Latin-1 texts. The device accepts 106 characters; anything else
// becomes "_" on its way to or from the device.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vyr {

// The 106 permitted characters as Latin-1 codes, in their defined order. Positions 0..68
// (letters, umlauts, digits and "_") are the strict subset for names.
extern const std::array<unsigned char, 106> PermittedCharacters;
inline constexpr std::size_t kStrictCharacterCount = 69;
inline const std::span<const unsigned char> StrictCharacters{PermittedCharacters.data(),
                                                             kStrictCharacterCount};

bool IsPermittedCharacter(char32_t c);
bool IsStrictCharacter(char32_t c);

// 8-bit setting text with every byte outside the repertoire replaced by "_". Every value
// on its way to or from the device goes through this one filter.
std::string FilterDeviceText(std::string_view latin1);

// 8-bit setting text to a wide string; bytes outside the repertoire become "_".
std::wstring WidenSettingText(std::string_view text);

enum class NarrowMode { Replace, Drop };

// Wide string to 8-bit setting text; characters outside the repertoire become "_" (Replace)
// or are left out (Drop).
std::string NarrowSettingText(std::wstring_view wide, NarrowMode mode);

// In place: characters outside the strict or the full repertoire become "_".
void FilterText(std::wstring& wide, bool strict);

// Removes trailing spaces, tabs, line feeds and carriage returns. The one trim for setting
// values and device answers.
std::string_view TrimTrailingBlanks(std::string_view text);

// The two decimal readers; both read leading white space, at most one sign, then digits.
//
// Reads the integer at the start of a text as C's atoi does (digits up to the first other
// character; no digits, or a second sign, reads as 0), but saturates instead of overflowing.
std::int64_t ReadLeadingInteger(std::string_view text);

// The whole text is one decimal integer: at least one digit and nothing after the digits.
// Values beyond 32 bits do not parse.
std::optional<std::int32_t> ParseWholeInteger(std::string_view text);

// Conversions for terminal and file output.
std::string Latin1ToUtf8(std::string_view latin1);
std::string WideToUtf8(std::wstring_view wide);
std::wstring Latin1ToWide(std::string_view latin1);
// UTF-8 to a wide string; every byte that does not belong to a well-formed character becomes
// "_": stray or cut-short bytes, overlong forms, surrogates and codes above U+10FFFF.
std::wstring Utf8ToWide(std::string_view utf8);

}  // namespace vyr
