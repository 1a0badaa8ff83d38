// The terminal, where vyrctl asks for a password and draws progress, and the command line.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

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

// The program's arguments, the program name first, as UTF-8.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace vyr::cli
