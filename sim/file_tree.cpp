#include "sim/file_tree.h"

#include <chrono>
#include <set>

namespace vyrsim {

FileTree::FileTree(SecondsSource seconds) : seconds_(std::move(seconds)) {
    if (!seconds_) {
        const auto start = std::chrono::steady_clock::now();
        seconds_ = [start] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        };
    }
}

std::optional<std::string> FileTree::Read(const std::string& path) const {
    if (auto live = live_.find(path); live != live_.end())
        return live->second(seconds_());
    if (auto file = files_.find(path); file != files_.end())
        return file->second;
    return std::nullopt;
}

bool FileTree::Exists(const std::string& path) const {
    return live_.contains(path) || files_.contains(path);
}

void FileTree::Write(const std::string& path, std::string content) {
    live_.erase(path);
    files_[path] = std::move(content);
}

void FileTree::Append(const std::string& path, std::string_view text) {
    std::string content = Read(path).value_or("");
    content += text;
    Write(path, std::move(content));
}

bool FileTree::Remove(const std::string& path) {
    const bool removed = live_.erase(path) + files_.erase(path) > 0;
    return removed;
}

void FileTree::SetLive(const std::string& path, LiveContent content) {
    files_.erase(path);
    live_[path] = std::move(content);
}

std::vector<std::string> FileTree::List(std::string_view directory) const {
    std::string prefix(directory);
    if (prefix.empty() || prefix.back() != '/')
        prefix += '/';
    std::set<std::string> names;
    auto collect = [&](const auto& map) {
        for (auto it = map.lower_bound(prefix); it != map.end(); ++it) {
            const std::string& path = it->first;
            if (path.compare(0, prefix.size(), prefix) != 0)
                break;
            const std::string rest = path.substr(prefix.size());
            // A deeper path shows its first part, as a directory listing would.
            names.insert(rest.substr(0, rest.find('/')));
        }
    };
    collect(files_);
    collect(live_);
    return {names.begin(), names.end()};
}

bool IsPlainPath(std::string_view path) {
    if (path.size() < 2 || path.front() != '/' || path.back() == '/')
        return false;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

}  // namespace vyrsim
