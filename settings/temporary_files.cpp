#include "settings/temporary_files.h"

#include <cstdint>
#include <system_error>

namespace vyr {
namespace {

constexpr std::size_t kRandomCharacters = 6;

}  // namespace

std::string TemporaryPrefix(std::string_view targetName) {
    // FNV-1a: a stable tag of the name, not a secret.
    std::uint32_t hash = 2166136261u;
    for (const char c : targetName) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string prefix = ".vyr";
    for (int shift = 28; shift >= 0; shift -= 4)
        prefix.push_back(kDigits[(hash >> shift) & 0xf]);
    prefix.push_back('-');
    return prefix;
}

bool IsTemporaryOf(std::string_view name, std::string_view targetName) {
    const std::string prefix = TemporaryPrefix(targetName);
    return name.size() == prefix.size() + kRandomCharacters && name.starts_with(prefix);
}

int RemoveStaleTemporaries(const std::filesystem::path& directory, std::string_view targetName) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator it(directory, error);
    if (error)
        return 0;
    const auto staleBefore = fs::file_time_type::clock::now() - kStaleTemporaryAge;
    int removed = 0;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error)
            break;
        const fs::directory_entry& entry = *it;
        const std::u8string name = entry.path().filename().u8string();
        if (!IsTemporaryOf(std::string_view(reinterpret_cast<const char*>(name.data()), name.size()),
                           targetName))
            continue;
        std::error_code entryError;
        if (!entry.is_regular_file(entryError) || entry.is_symlink(entryError))
            continue;
        const auto written = entry.last_write_time(entryError);
        if (entryError || written > staleBefore)
            continue;
        if (fs::remove(entry.path(), entryError))
            ++removed;
    }
    return removed;
}

}  // namespace vyr
