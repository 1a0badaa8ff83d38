// The Windows console: no echo while a password is typed, UTF-8 output.
#include <windows.h>

#include <cstdio>
#include <io.h>

#include "cli/terminal.h"
#include "settings/text.h"

namespace vyr::cli {
namespace {

HANDLE HandleOf(std::FILE* stream) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
}

// A console, not a file or a pipe (nor the NUL device, which _isatty takes for a terminal).
bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

bool IsTerminal(std::FILE* stream) {
    return IsConsole(HandleOf(stream));
}

std::size_t TerminalColumns(std::FILE* stream) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(HandleOf(stream), &info))
        return 0;
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    return columns > 0 ? static_cast<std::size_t>(columns) : 0;
}

std::optional<std::string> ReadSecretLine(const char* prompt) {
    const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD saved = 0;
    if (in == INVALID_HANDLE_VALUE || !::GetConsoleMode(in, &saved))
        return std::nullopt;
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    ::SetConsoleMode(in, (saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT);
    // Read as UTF-16 so that any character typed arrives whole, whatever the code page.
    std::wstring line;
    bool ended = false;
    while (!ended) {
        wchar_t buffer[256];
        DWORD got = 0;
        if (!::ReadConsoleW(in, buffer, 256, &got, nullptr) || got == 0)
            break;
        for (DWORD i = 0; i < got && !ended; ++i) {
            if (buffer[i] == L'\n')
                ended = true;
            else if (buffer[i] != L'\r')
                line.push_back(buffer[i]);
        }
    }
    ::SetConsoleMode(in, saved);
    std::fputc('\n', stderr);
    if (!ended)
        return std::nullopt;
    return WideToUtf8(line);
}

void PrepareConsole() {
    // Our texts are UTF-8; the console shows them as such only with its code page set so.
    ::SetConsoleOutputCP(CP_UTF8);
}

}  // namespace vyr::cli
