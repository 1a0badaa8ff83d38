// The device's file system: absolute paths mapped to contents. Directories are implicit.
// Some files are "live": their content is computed from the time since the tree was made,
// like the device's measurement files, until something writes them.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vyrsim {

class FileTree {
  public:
    using SecondsSource = std::function<double()>;
    using LiveContent = std::function<std::string(double seconds)>;

    // The time source gives the seconds since the device started (a steady clock by default).
    explicit FileTree(SecondsSource seconds = {});

    std::optional<std::string> Read(const std::string& path) const;
    bool Exists(const std::string& path) const;
    // Writing a live file fixes its content from then on.
    void Write(const std::string& path, std::string content);
    void Append(const std::string& path, std::string_view text);
    bool Remove(const std::string& path);
    void SetLive(const std::string& path, LiveContent content);
    // Names of the files directly inside a directory ("/a/b" or "/a/b/"), in byte order.
    std::vector<std::string> List(std::string_view directory) const;

    double Seconds() const { return seconds_(); }

  private:
    SecondsSource seconds_;
    std::map<std::string, std::string, std::less<>> files_;
    std::map<std::string, LiveContent, std::less<>> live_;
};

// An absolute path without empty, "." or ".." parts and without a trailing slash.
bool IsPlainPath(std::string_view path);

}  // namespace vyrsim
