// Running a program as a Windows script does: a command line of its own, the environment
// changed for it alone, standard input from NUL, its output into files.
#include <windows.h>

#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "settings/text.h"
#include "command_runner.h"

namespace vyr::test {
namespace {

HANDLE Inheritable(const std::wstring& path, DWORD access, DWORD creation) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         creation, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The process's environment with VYR_PASSWORD taken out and `changes` ("A=1 B=2") put in,
// as a block for CreateProcessW.
std::wstring EnvironmentBlock(const std::string& changes) {
    std::map<std::wstring, std::wstring> variables;
    wchar_t* block = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = block; *entry != L'\0'; entry += wcslen(entry) + 1) {
        const std::wstring text = entry;
        const auto equals = text.find(L'=', 1);  // "=C:=C:\..." entries start with "="
        if (equals != std::wstring::npos)
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    ::FreeEnvironmentStringsW(block);
    variables.erase(L"VYR_PASSWORD");
    std::istringstream words(changes);
    for (std::string word; words >> word;) {
        const auto equals = word.find('=');
        if (equals != std::string::npos)
            variables[Utf8ToWide(word.substr(0, equals))] = Utf8ToWide(word.substr(equals + 1));
    }
    std::wstring result;
    for (const auto& [name, value] : variables)
        result += name + L"=" + value + L'\0';
    result += L'\0';
    return result;
}

// Waits until nobody holds `path` open: Wine reports a process ended a moment before it has
// closed the files the process held, which the next run or the test's clean-up then finds in
// use.
void AwaitReleased(const std::wstring& path) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
            return;
        }
        if (::GetLastError() != ERROR_SHARING_VIOLATION)
            return;
        ::Sleep(10);
    }
}

// A file's text with Windows' CR LF line ends as plain line feeds.
void PlainLineEnds(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    in.close();
    std::string text = content.str();
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        plain += text[i];
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << plain;
}

}  // namespace

int RunCommand(const std::string& program, const std::string& args,
               const std::string& environment, const std::string& out, const std::string& err) {
    std::wstring line = L"\"" + Utf8ToWide(program) + L"\" " + Utf8ToWide(args);
    std::wstring variables = EnvironmentBlock(environment);
    const HANDLE input = Inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
    const HANDLE output = Inheritable(Utf8ToWide(out), GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE error = Inheritable(Utf8ToWide(err), GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = error;
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                          CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW,
                                          variables.data(), nullptr, &startup, &process);
    ::CloseHandle(input);
    ::CloseHandle(output);
    ::CloseHandle(error);
    if (!started)
        return -1;
    DWORD status = 124;
    if (::WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process.hProcess, &status);
    else
        ::TerminateProcess(process.hProcess, 124);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    AwaitReleased(Utf8ToWide(out));
    AwaitReleased(Utf8ToWide(err));
    PlainLineEnds(out);
    PlainLineEnds(err);
    return static_cast<int>(status);
}

unsigned long ProcessNumber() {
    return ::GetCurrentProcessId();
}

}  // namespace vyr::test
