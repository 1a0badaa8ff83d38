#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "cli/terminal.h"

namespace vyr::cli {

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

std::size_t TerminalColumns(std::FILE* stream) {
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) != 0)
        return 0;
    return size.ws_col;
}

std::optional<std::string> ReadSecretLine(const char* prompt) {
    if (!IsTerminal(stdin))
        return std::nullopt;
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    termios saved{};
    const bool canHide = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (canHide) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    const bool got = static_cast<bool>(std::getline(std::cin, line));
    if (canHide)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fputc('\n', stderr);
    if (!got)
        return std::nullopt;
    return line;
}

void PrepareConsole() {}

}  // namespace vyr::cli
