#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "file_io.h"

namespace vyr {

namespace {

// Opens a new, unused file name beside `path`.
int CreateTemporary(const std::string& path, std::string& tempPath) {
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = path + ".tmp" + std::to_string(random() % 1000000);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

bool ReplaceFileContent(const std::string& path, std::string_view content) {
    std::string tempPath;
    const int fd = CreateTemporary(path, tempPath);
    if (fd < 0)
        return false;

    // Keep the permissions of a file being replaced.
    struct stat old {};
    bool ok = true;
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    }
    ok = ok && WriteAll(fd, content) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tempPath.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(tempPath.c_str());
    return ok;
}

}  // namespace vyr
