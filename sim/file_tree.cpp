#include "sim/file_tree.h"

#include <chrono>
#include <set>

#include "sim/tree_directory.h"

namespace vyrsim {

FileTree::FileTree(SecondsSource seconds) : seconds_(std::move(seconds)) {
    if (!seconds_) {
        const auto start = std::chrono::steady_clock::now();
        seconds_ = [start] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        };
    }
}

FileTree::~FileTree() = default;

bool FileTree::UseDirectory(const std::string& path, std::string* error) {
    auto directory = TreeDirectory::Open(path, error);
    if (!directory)
        return false;
    files_.clear();
    live_.clear();
    directory_ = std::move(directory);
    return true;
}

bool FileTree::Empty() const {
    return directory_ ? directory_->Empty() : files_.empty() && live_.empty();
}

// A stored file comes before a live one: writing a live file fixes its content, and a file
// staged in the directory replaces the live one.
std::optional<std::string> FileTree::Read(const std::string& path) const {
    if (directory_) {
        if (auto content = directory_->Read(path))
            return content;
    } else if (auto file = files_.find(path); file != files_.end()) {
        return file->second;
    }
    if (auto live = live_.find(path); live != live_.end())
        return live->second(seconds_());
    return std::nullopt;
}

bool FileTree::Exists(const std::string& path) const {
    return Read(path).has_value();
}

bool FileTree::Write(const std::string& path, std::string content) {
    live_.erase(path);
    if (directory_)
        return directory_->Write(path, content);
    files_[path] = std::move(content);
    return true;
}

bool FileTree::Append(const std::string& path, std::string_view text) {
    std::string content = Read(path).value_or("");
    content += text;
    return Write(path, std::move(content));
}

bool FileTree::Remove(const std::string& path) {
    const bool live = live_.erase(path) > 0;
    const bool stored = directory_ ? directory_->Remove(path) : files_.erase(path) > 0;
    return live || stored;
}

void FileTree::SetLive(const std::string& path, LiveContent content) {
    if (!directory_)
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
    if (directory_) {
        for (std::string& name : directory_->List(prefix))
            names.insert(std::move(name));
    }
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
