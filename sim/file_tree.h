// The device's file system: absolute paths mapped to contents, in memory or in a directory of
// the computer. Directories are implicit. Some files are "live": their content is computed
// from the time since the tree was made, like the device's measurement files, until
// something writes them.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vyrsim {

class TreeDirectory;

class FileTree {
  public:
    using SecondsSource = std::function<double()>;
    using LiveContent = std::function<std::string(double seconds)>;

    // The time source gives the seconds since the device started (a steady clock by default).
    explicit FileTree(SecondsSource seconds = {});
    ~FileTree();

    // Keeps the files in directory `path` from now on (what was held in memory is dropped,
    // the live files too). False, with the reason, when the directory cannot be used.
    bool UseDirectory(const std::string& path, std::string* error);
    // No file at all: a fresh directory, or a tree nothing was written to.
    bool Empty() const;

    std::optional<std::string> Read(const std::string& path) const;
    bool Exists(const std::string& path) const;
    // Writing a live file fixes its content from then on.
    // False when the file cannot be stored (only in a directory: a path it cannot hold).
    bool Write(const std::string& path, std::string content);
    bool Append(const std::string& path, std::string_view text);
    bool Remove(const std::string& path);
    void SetLive(const std::string& path, LiveContent content);
    // Names of the files directly inside a directory ("/a/b" or "/a/b/"), in byte order.
    std::vector<std::string> List(std::string_view directory) const;

    double Seconds() const { return seconds_(); }

  private:
    SecondsSource seconds_;
    std::map<std::string, std::string, std::less<>> files_;
    std::map<std::string, LiveContent, std::less<>> live_;
    std::unique_ptr<TreeDirectory> directory_;
};

// An absolute path without empty, "." or ".." parts and without a trailing slash.
bool IsPlainPath(std::string_view path);

}  // namespace vyrsim
