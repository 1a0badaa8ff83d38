// File operations on Windows: UTF-16 names, so that any name the user types works, and the
// replacement of a file by a rename that the system writes through.
#include <windows.h>
#include <shellapi.h>

#include <cerrno>
#include <random>
#include <system_error>
#include <utility>

#include "file_io.h"
#include "temporary_files.h"
#include "text.h"

namespace vyr {

namespace {

// The system's words for an error. The errors a person meets when saving or loading use the
// same words as on the other platforms ("No such file or directory"); others the system's.
std::string SystemText(DWORD error) {
    struct Same {
        DWORD windows;
        int posix;
    };
    static constexpr Same kSame[] = {
        {ERROR_FILE_NOT_FOUND, ENOENT},   {ERROR_PATH_NOT_FOUND, ENOENT},
        {ERROR_INVALID_DRIVE, ENOENT},    {ERROR_ACCESS_DENIED, EACCES},
        {ERROR_WRITE_PROTECT, EROFS},     {ERROR_DISK_FULL, ENOSPC},
        {ERROR_HANDLE_DISK_FULL, ENOSPC}, {ERROR_FILE_EXISTS, EEXIST},
        {ERROR_ALREADY_EXISTS, EEXIST},   {ERROR_DIRECTORY, ENOTDIR},
        {ERROR_SHARING_VIOLATION, EBUSY}, {ERROR_LOCK_VIOLATION, EBUSY},
        {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
    };
    for (const Same& same : kSame) {
        if (same.windows == error)
            return std::generic_category().message(same.posix);
    }
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring words = length > 0 && buffer != nullptr ? std::wstring(buffer, length) : L"";
    if (buffer != nullptr)
        ::LocalFree(buffer);
    while (!words.empty() && (words.back() == L'\r' || words.back() == L'\n' ||
                              words.back() == L' ' || words.back() == L'.'))
        words.pop_back();
    return words.empty() ? "system error " + std::to_string(error) : WideToUtf8(words);
}

bool Fail(std::string* reason, DWORD error) {
    if (reason != nullptr)
        *reason = SystemText(error);
    return false;
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// The directory part of a path ("." for a bare name); a drive's root keeps its separator.
std::wstring DirectoryOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return path.size() >= 2 && path[1] == L':' ? path.substr(0, 2) : L".";
    if (slash == 0 || (slash == 2 && path[1] == L':'))
        return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

std::wstring Join(const std::wstring& directory, const std::wstring& name) {
    if (directory.empty() || IsSeparator(directory.back()) || directory.back() == L':')
        return directory + name;
    return directory + L"\\" + name;
}

// The file a symbolic link at `path` finally names; `path` itself when it is no link or does
// not exist yet.
std::wstring FollowLinks(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return path;
    const HANDLE handle = ::CreateFileW(path.c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return path;
    std::wstring target(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(handle, target.data(),
                                               static_cast<DWORD>(target.size()), 0);
    if (length >= target.size()) {
        target.resize(length + 1);
        length = ::GetFinalPathNameByHandleW(handle, target.data(),
                                             static_cast<DWORD>(target.size()), 0);
    }
    ::CloseHandle(handle);
    if (length == 0 || length >= target.size())
        return path;
    target.resize(length);
    return target;
}

// The last part of a path.
std::wstring FileNameOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Creates a new, unused temporary file for a save of `target` in `directory`.
HANDLE CreateTemporary(const std::wstring& directory, const std::wstring& target,
                       std::wstring& tempPath) {
    static constexpr std::wstring_view kCharacters =
        L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<std::size_t> pick(0, kCharacters.size() - 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring name = Utf8ToWide(TemporaryPrefix(WideToUtf8(FileNameOf(target))));
        for (int i = 0; i < 6; ++i)
            name.push_back(kCharacters[pick(random)]);
        tempPath = Join(directory, name);
        const HANDLE handle = ::CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS)
            return handle;
    }
    ::SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE handle, std::string_view content) {
    while (!content.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1 << 20));
        DWORD written = 0;
        if (!::WriteFile(handle, content.data(), chunk, &written, nullptr))
            return false;
        if (written == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        content.remove_prefix(written);
    }
    return true;
}

// Only a settings file is replaced: not a folder, and not a read-only file, whoever asks
// (the rename alone would not stop an administrator).
bool MayReplace(const std::wstring& target, std::string* reason) {
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    const char* refusal = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0  ? "Is a directory"
                          : (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? "it is read-only"
                                                                        : nullptr;
    if (refusal != nullptr && reason != nullptr)
        *reason = refusal;
    return refusal == nullptr;
}

}  // namespace

ReadStatus ReadWholeFile(const std::string& path, std::size_t limit, std::string& content,
                         std::string& reason) {
    content.clear();
    const std::wstring name = Utf8ToWide(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        reason = std::generic_category().message(EISDIR);
        return ReadStatus::CannotOpen;
    }
    const HANDLE handle =
        ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        reason = SystemText(::GetLastError());
        return ReadStatus::CannotOpen;
    }
    const auto finish = [&](ReadStatus status, std::string why) {
        ::CloseHandle(handle);
        reason = std::move(why);
        if (status != ReadStatus::Ok)
            content.clear();
        return status;
    };
    // A pipe, the console or a device such as NUL or a COM port is no settings file; nothing
    // is read from it, so it cannot hold the caller up.
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        return finish(ReadStatus::NotRegularFile, "not a regular file");
    const std::string tooLarge = "larger than " + std::to_string(limit) + " bytes";
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(handle, &size) && static_cast<unsigned long long>(size.QuadPart) > limit)
        return finish(ReadStatus::TooLarge, tooLarge);

    // The size is only a hint: the file may grow while it is read.
    content.resize(limit + 1);
    std::size_t filled = 0;
    while (filled < content.size()) {
        const DWORD want =
            static_cast<DWORD>(std::min<std::size_t>(content.size() - filled, 1 << 20));
        DWORD got = 0;
        if (!::ReadFile(handle, content.data() + filled, want, &got, nullptr))
            return finish(ReadStatus::CannotOpen, SystemText(::GetLastError()));
        if (got == 0)
            break;
        filled += got;
    }
    if (filled > limit)
        return finish(ReadStatus::TooLarge, tooLarge);
    content.resize(filled);
    return finish(ReadStatus::Ok, "");
}

bool ReplaceFileContent(const std::string& path, std::string_view content, std::string* reason) {
    const std::wstring target = FollowLinks(Utf8ToWide(path));
    if (!MayReplace(target, reason))
        return false;
    const std::wstring directory = DirectoryOf(target);
    std::wstring tempPath;
    const HANDLE handle = CreateTemporary(directory, target, tempPath);
    if (handle == INVALID_HANDLE_VALUE)
        return Fail(reason, ::GetLastError());
    bool ok = WriteAll(handle, content) && ::FlushFileBuffers(handle);
    DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
    ::CloseHandle(handle);
    // The rename replaces the old file in one step and returns once it is on the disk.
    if (ok && !::MoveFileExW(tempPath.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        error = ::GetLastError();
    }
    if (!ok) {
        ::DeleteFileW(tempPath.c_str());
        return Fail(reason, error);
    }
    // What a killed save of this target left behind goes now.
    RemoveStaleTemporaries(std::filesystem::path(directory), WideToUtf8(FileNameOf(target)));
    return true;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i)
        args.push_back(WideToUtf8(wide[i]));
    ::LocalFree(wide);
    return args;
}

}  // namespace vyr
