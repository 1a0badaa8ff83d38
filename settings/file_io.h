// File operations that differ between platforms.
#pragma once

#include <string>
#include <string_view>

namespace vyr {

// Writes `content` to a new file beside `path`, flushes it to disk and renames it over
// `path`. On any failure the old file is left as it was and the temporary file is removed.
bool ReplaceFileContent(const std::string& path, std::string_view content);

}  // namespace vyr
