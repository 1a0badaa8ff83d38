#include "sim/tree_directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sim/accounts.h"
#include "sim/file_tree.h"

namespace vyrsim {

namespace {

// Files being written are first made under this prefix, then renamed; listings skip them.
constexpr std::string_view kTemporaryPrefix = ".vyrsim-new-";

// A descriptor closed when it goes out of scope.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            close(fd_);
    }
    Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Fd& operator=(Fd&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

std::vector<std::string> Parts(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The directory holding parts[0..count) below `root`, never through a symbolic link;
// created on the way with `create`.
Fd OpenDirectory(int root, const std::vector<std::string>& parts, std::size_t count, bool create) {
    Fd current(fcntl(root, F_DUPFD_CLOEXEC, 0));
    for (std::size_t i = 0; i < count && current.ok(); ++i) {
        const char* name = parts[i].c_str();
        int next = openat(current.get(), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT && create && mkdirat(current.get(), name, 0755) == 0)
            next = openat(current.get(), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        current = Fd(next);
    }
    return current;
}

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::unique_ptr<TreeDirectory> TreeDirectory::Open(const std::string& path, std::string* error) {
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        if (error != nullptr)
            *error = "cannot create the tree directory " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    const int root = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) {
        if (error != nullptr)
            *error = "cannot open the tree directory " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<TreeDirectory>(new TreeDirectory(root));
}

TreeDirectory::~TreeDirectory() {
    close(root_);
}

bool TreeDirectory::Empty() const {
    return List("/").empty();
}

std::optional<std::string> TreeDirectory::Read(std::string_view path) const {
    if (!IsPlainPath(path))
        return std::nullopt;
    const auto parts = Parts(path);
    const Fd dir = OpenDirectory(root_, parts, parts.size() - 1, false);
    if (!dir.ok())
        return std::nullopt;
    const Fd file(openat(dir.get(), parts.back().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!file.ok() || fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    std::string content;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return content;
        content.append(buffer, static_cast<std::size_t>(got));
    }
}

bool TreeDirectory::Write(std::string_view path, std::string_view content) {
    if (!IsPlainPath(path))
        return false;
    const auto parts = Parts(path);
    const Fd dir = OpenDirectory(root_, parts, parts.size() - 1, true);
    if (!dir.ok())
        return false;
    const std::string temporary = std::string(kTemporaryPrefix) + parts.back();
    bool written = false;
    {
        // An account file holds a password: its owner alone may read it.
        const mode_t mode = path.starts_with(kUsersDirectory) ? 0600 : 0644;
        const Fd file(openat(dir.get(), temporary.c_str(),
                             O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, mode));
        written = file.ok() && WriteAll(file.get(), content);
    }
    // The rename replaces a file or a symbolic link itself, never what a link points to.
    if (written && renameat(dir.get(), temporary.c_str(), dir.get(), parts.back().c_str()) == 0)
        return true;
    unlinkat(dir.get(), temporary.c_str(), 0);
    return false;
}

bool TreeDirectory::Remove(std::string_view path) {
    if (!IsPlainPath(path))
        return false;
    const auto parts = Parts(path);
    const Fd dir = OpenDirectory(root_, parts, parts.size() - 1, false);
    return dir.ok() && unlinkat(dir.get(), parts.back().c_str(), 0) == 0;
}

std::vector<std::string> TreeDirectory::List(std::string_view directory) const {
    std::string path(directory);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    std::vector<std::string> parts;
    if (path != "/") {
        if (!IsPlainPath(path))
            return {};
        parts = Parts(path);
    }
    Fd dir = OpenDirectory(root_, parts, parts.size(), false);
    if (!dir.ok())
        return {};
    DIR* stream = fdopendir(dir.get());
    if (stream == nullptr)
        return {};
    const int fd = dir.release();  // now the stream's
    std::vector<std::string> names;
    while (const dirent* entry = readdir(stream)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == ".." || name.starts_with(kTemporaryPrefix))
            continue;
        struct stat info {};
        if (fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)))
            names.emplace_back(name);
    }
    closedir(stream);
    return names;
}

}  // namespace vyrsim
