#include "app/port_list.h"

#include <algorithm>

namespace vyr {
namespace {

// Index of `path` in `entries`, or -1. An empty path is never looked for.
int IndexOf(const std::vector<std::string>& entries, const std::string& path) {
    if (path.empty())
        return -1;
    const auto it = std::find(entries.begin(), entries.end(), path);
    return it == entries.end() ? -1 : static_cast<int>(it - entries.begin());
}

void AddOnce(std::vector<std::string>& entries, const std::string& path) {
    if (!path.empty() && IndexOf(entries, path) < 0)
        entries.push_back(path);
}

}  // namespace

std::vector<std::string> PortEntries(const std::vector<std::string>& commandLinePorts,
                                     const std::vector<std::string>& found) {
    std::vector<std::string> entries;
    entries.reserve(commandLinePorts.size() + found.size());
    for (const std::string& path : commandLinePorts)
        AddOnce(entries, path);
    for (const std::string& path : found)
        AddOnce(entries, path);
    return entries;
}

int ChoosePort(const std::vector<std::string>& entries, const std::string& rememberedPath,
               int rememberedIndex, const std::string& rememberedDevice,
               const std::string& indexedPort) {
    if (entries.empty())
        return -1;
    for (const std::string* path : {&rememberedPath, &rememberedDevice, &indexedPort}) {
        const int byPath = IndexOf(entries, *path);
        if (byPath >= 0)
            return byPath;
    }
    if (rememberedIndex >= 0 && static_cast<std::size_t>(rememberedIndex) < entries.size())
        return rememberedIndex;
    return 0;
}

std::string PortLabel(const std::string& devicePath, const std::string& stablePath,
                      const std::string& description) {
    if (stablePath.empty()) {
        std::string text = description;
        const std::string repeated = " (" + devicePath + ")";
        if (text.ends_with(repeated))
            text.resize(text.size() - repeated.size());
        return text.empty() || text == devicePath ? devicePath : devicePath + " (" + text + ")";
    }
    const std::size_t slash = stablePath.find_last_of('/');
    return devicePath + " (" + stablePath.substr(slash == std::string::npos ? 0 : slash + 1) +
           ")";
}

int KeepSelection(const std::vector<std::string>& newEntries, const std::string& selectedPath) {
    if (newEntries.empty())
        return -1;
    return std::max(IndexOf(newEntries, selectedPath), 0);
}

}  // namespace vyr
