// Device texts on a terminal: what the device sends may hold any byte, what vyrctl prints is
// UTF-8 without control characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vyr::cli {

// The length of the well-formed UTF-8 sequence at the start of `text`, 0 when there is none
// (a stray continuation byte, an overlong form, a surrogate, beyond U+10FFFF, cut short).
std::size_t Utf8SequenceLength(std::string_view text);

// A device text as vyrctl prints it: UTF-8 characters are kept and every other byte is taken
// as Latin-1, the device's 8-bit repertoire; control characters (C0, DEL and C1) become "_",
// so that no device text ends a line or starts an escape sequence on a terminal.
std::string TerminalText(std::string_view deviceBytes);

// A repair report as vyrctl prints it: each of its lines through TerminalText, so that a
// rejected value cannot end a line or start an escape sequence either.
std::string TerminalReport(std::wstring_view report);

}  // namespace vyr::cli
