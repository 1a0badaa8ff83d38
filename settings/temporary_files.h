// The temporary files a save writes beside its target before it renames one over it.
//
// Their names tie them to the target, so that one left behind by a save that was killed can
// be told from every other file and removed on the next save of the same target.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace vyr {

// ".vyr", eight hexadecimal digits standing for the target's file name, "-": a temporary
// name is this and six random characters, short enough for a folder that holds a target of
// any name's length.
std::string TemporaryPrefix(std::string_view targetName);

// Whether `name` is the name of a temporary file of a save of `targetName`.
bool IsTemporaryOf(std::string_view name, std::string_view targetName);

// A save takes well under this; a temporary file older than it belongs to no running save.
inline constexpr std::chrono::minutes kStaleTemporaryAge{10};

// Removes from `directory` the temporary files of saves of `targetName` that are stale.
// Returns how many were removed; a file that cannot be removed is left.
int RemoveStaleTemporaries(const std::filesystem::path& directory, std::string_view targetName);

}  // namespace vyr
