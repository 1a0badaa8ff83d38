// File operations that differ between platforms.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vyr {

// Our paths are UTF-8 texts; the system's file names may be other (UTF-16 on Windows). A
// path for the standard library's file functions, and back.
inline std::filesystem::path FilePath(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8Path(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

enum class ReadStatus { Ok, CannotOpen, NotRegularFile, TooLarge };

// Reads a whole regular file of at most `limit` bytes into `content`. A FIFO, a device or a
// directory is refused without waiting on it or reading from it, and reading stops after
// `limit` + 1 bytes, so a file that never ends cannot hold the caller up. On failure
// `reason` says why: the system's text (for example "No such file or directory") or what
// the file is.
ReadStatus ReadWholeFile(const std::string& path, std::size_t limit, std::string& content,
                         std::string& reason);

// Writes `content` to a new file with a short temporary name in the target's directory,
// flushes it to disk, renames it over the target and syncs the directory, so that a
// replacement reported done survives a power cut. A symbolic link at `path` is followed to
// the file it names, which is replaced; the link stays. What is not a regular file (a device,
// a FIFO, a folder) and a read-only file are refused and left untouched: `reason` says "it is
// not a regular file" or "it is read-only", and names the folder when the folder refuses the
// new file. If anything before the rename fails, the old file is left as it was and the
// temporary file is removed. On other failures `reason` (when given) receives the system's
// text for the call that failed.
bool ReplaceFileContent(const std::string& path, std::string_view content,
                        std::string* reason = nullptr);

// The program's arguments as UTF-8, its own name first. Windows hands a program narrow
// arguments in its code page, which loses every character the code page lacks; the wide
// command line keeps them.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace vyr
