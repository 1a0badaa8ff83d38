// Opening a file with the application Windows registers for its type: the shell's "open".
#include <windows.h>
#include <shellapi.h>

#include "app/help.h"
#include "settings/text.h"

namespace vyr {
namespace {

// A command line argument as the C runtime of the started program reads it back.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

}  // namespace

std::vector<std::string> OpenFileCommand(const std::string& path) {
    return {path};  // the shell opens a document with the application for its type
}

bool StartDetached(const std::vector<std::string>& command, std::string& error,
                   const LateFailure& /*onLateFailure*/) {
    if (command.empty() || command.front().empty()) {
        error = "no command to start.";
        return false;
    }
    std::wstring parameters;
    for (std::size_t i = 1; i < command.size(); ++i)
        parameters += (i > 1 ? L" " : L"") + Quoted(Utf8ToWide(command[i]));
    const std::wstring file = Utf8ToWide(command.front());
    // The shell answers at once; the application it starts goes on by itself.
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", file.c_str(),
                        parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOWNORMAL));
    if (result > 32)
        return true;
    switch (result) {
        case SE_ERR_NOASSOC:
        case SE_ERR_ASSOCINCOMPLETE:
            error = "no application is registered to show this kind of file.";
            break;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            error = "the file " + command.front() + " was not found.";
            break;
        default:
            error = "the system could not start an application for it (error " +
                    std::to_string(result) + ").";
            break;
    }
    return false;
}

std::string ProgramFilePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return WideToUtf8(path);
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace vyr
