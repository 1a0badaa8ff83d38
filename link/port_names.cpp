#include "link/port_names.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace serial_link {

namespace fs = std::filesystem;

StableNames FindStableNames(const std::string& directory) {
    if (directory.empty())
        return {};
    std::vector<fs::path> links;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(directory, ec)) {
        if (entry.is_symlink(ec))
            links.push_back(entry.path());
    }
    // Directory order is arbitrary; by name the choice among links to one device is fixed.
    std::sort(links.begin(), links.end());
    StableNames names;
    for (const fs::path& link : links) {
        const fs::path device = fs::canonical(link, ec);
        if (!ec)
            names.emplace(device.string(), link.string());
    }
    return names;
}

std::string StableNameOf(const StableNames& names, const std::string& devicePath) {
    const auto it = names.find(devicePath);
    return it == names.end() ? std::string() : it->second;
}

bool IsInDirectory(const std::string& path, const std::string& directory) {
    if (path.empty() || directory.empty())
        return false;
    const fs::path parent = fs::path(path).parent_path();
    return parent.lexically_normal() == fs::path(directory).lexically_normal() ||
           parent.lexically_normal() / "" == fs::path(directory).lexically_normal();
}

}  // namespace serial_link
