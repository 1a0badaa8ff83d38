// The terminal, where vyrctl asks for a password and draws progress.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace vyr::cli {

bool IsTerminal(std::FILE* stream);

// The width in columns of the terminal `stream` writes to; 0 when it is not known.
std::size_t TerminalColumns(std::FILE* stream);

// Prompts on stderr and reads one line from the terminal without echoing it; nothing when
// standard input is not a terminal or the input ended.
std::optional<std::string> ReadSecretLine(const char* prompt);

// Makes the terminal show the program's UTF-8 output as such (Windows' console); nothing
// where it already does.
void PrepareConsole();

}  // namespace vyr::cli
