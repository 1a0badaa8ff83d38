// The device's files kept in a directory of the computer, so that they outlast the simulator.
// A device path "/a/b" is the file "a/b" below the directory. Only plain paths are mapped, and
// no symbolic link is followed on the way: nothing outside the directory is read or written.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vyrsim {

class TreeDirectory {
  public:
    // Opens the directory, creating it (not its parents) when it does not exist. Nothing,
    // with the reason in `error`, when it cannot be used.
    static std::unique_ptr<TreeDirectory> Open(const std::string& path, std::string* error);
    ~TreeDirectory();
    TreeDirectory(const TreeDirectory&) = delete;
    TreeDirectory& operator=(const TreeDirectory&) = delete;

    bool Empty() const;
    std::optional<std::string> Read(std::string_view path) const;
    // Replaces the file as a whole (a new file renamed over the old one); creates the
    // directories on the way.
    bool Write(std::string_view path, std::string_view content);
    bool Remove(std::string_view path);
    // The names of the files and directories directly inside `directory`.
    std::vector<std::string> List(std::string_view directory) const;

  private:
    explicit TreeDirectory(int root) : root_(root) {}
    int root_;
};

}  // namespace vyrsim
