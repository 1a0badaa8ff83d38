// File operations that differ between platforms.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vyr {

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
// the file it names, which is replaced; the link stays. If anything before the rename
// fails, the old file is left as it was and the temporary file is removed. On failure
// `reason` (when given) receives the system's text for the call that failed.
bool ReplaceFileContent(const std::string& path, std::string_view content,
                        std::string* reason = nullptr);

}  // namespace vyr
