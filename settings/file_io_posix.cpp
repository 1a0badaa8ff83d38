#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <random>
#include <system_error>
#include <utility>

#include "file_io.h"
#include "temporary_files.h"

namespace vyr {

namespace {

std::string SystemText(int error) {
    return std::generic_category().message(error);
}

// Keeps the system's text for `error` when the caller wants it; returns false for use in a
// failing return.
bool Fail(std::string* reason, int error) {
    if (reason != nullptr)
        *reason = SystemText(error);
    return false;
}

// The directory part of a path ("." for a bare name).
std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// The last part of a path.
std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a chain of symbolic links at `path` finally names; `path` itself when it is no
// link (or does not exist yet). False with ELOOP for a chain that does not end.
bool FollowLinks(std::string path, std::string& target, int& error) {
    constexpr int kMaxLinks = 40;  // as the kernel's own limit
    for (int depth = 0; depth < kMaxLinks; ++depth) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            target = path;
            return true;
        }
        std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n < 0) {
            error = errno;
            return false;
        }
        if (static_cast<std::size_t>(n) >= link.size())
            continue;  // the link changed while it was read: read it again
        link.resize(static_cast<std::size_t>(n));
        path = link.starts_with('/') ? link : DirectoryOf(path) + "/" + link;
    }
    error = ELOOP;
    return false;
}

// Opens a new, unused temporary file for a save of `target` in `directory`.
int CreateTemporary(const std::string& directory, const std::string& target,
                    std::string& tempPath) {
    static constexpr std::string_view kCharacters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<std::size_t> pick(0, kCharacters.size() - 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = directory + "/" + TemporaryPrefix(FileNameOf(target));
        for (int i = 0; i < 6; ++i)
            tempPath.push_back(kCharacters[pick(random)]);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = EIO;
        if (n <= 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Makes a rename in `directory` durable. A file system that cannot sync a directory
// (EINVAL) has nothing more to offer and counts as done.
bool SyncDirectory(const std::string& directory, int& error) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    error = errno;
    ::close(fd);
    return synced;
}

// Only a settings file is replaced: not a device, a FIFO or a folder (a rename would put a
// file in their place, /dev/null included), and not a file its owner made read-only (which
// the rename alone would replace, as root even without write permission). A target that does
// not exist yet may be created.
bool MayReplace(const std::string& target, std::string* reason) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) != 0)
        return true;
    if (!S_ISREG(existing.st_mode)) {
        if (reason != nullptr)
            *reason = S_ISDIR(existing.st_mode) ? SystemText(EISDIR) : "it is not a regular file";
        return false;
    }
    if ((existing.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
        if (reason != nullptr)
            *reason = "it is read-only";
        return false;
    }
    return true;
}

// CreateTemporary with the reason of a failure: a folder that refuses the new file is named,
// since the file itself may well be writable.
int OpenTemporary(const std::string& directory, const std::string& target, std::string& tempPath,
                  std::string* reason) {
    const int fd = CreateTemporary(directory, target, tempPath);
    if (fd < 0) {
        const int error = errno;
        if (reason != nullptr && (error == EACCES || error == EPERM || error == EROFS))
            *reason = "the folder " + directory + " cannot be written (" + SystemText(error) + ")";
        else
            Fail(reason, error);
    }
    return fd;
}

// Writes the content into the temporary file `fd` (with the permissions of the file it
// replaces), syncs and closes it, and renames it over the target. False with the error
// otherwise; the temporary file is then still there.
bool FillAndRename(int fd, const std::string& tempPath, const std::string& target,
                   std::string_view content, int& error) {
    struct stat old {};
    bool ok = true;
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && WriteAll(fd, content) && ::fsync(fd) == 0;
    error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(tempPath.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    return ok;
}

}  // namespace

ReadStatus ReadWholeFile(const std::string& path, std::size_t limit, std::string& content,
                         std::string& reason) {
    content.clear();
    // Without O_NONBLOCK, opening a FIFO waits for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        reason = SystemText(errno);
        return ReadStatus::CannotOpen;
    }
    const auto finish = [&](ReadStatus status, std::string why) {
        ::close(fd);
        reason = std::move(why);
        if (status != ReadStatus::Ok)
            content.clear();
        return status;
    };

    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return finish(ReadStatus::CannotOpen, SystemText(errno));
    if (S_ISDIR(info.st_mode))
        return finish(ReadStatus::CannotOpen, SystemText(EISDIR));
    if (!S_ISREG(info.st_mode))
        return finish(ReadStatus::NotRegularFile, "not a regular file");
    const std::string tooLarge = "larger than " + std::to_string(limit) + " bytes";
    if (static_cast<std::uintmax_t>(info.st_size) > limit)
        return finish(ReadStatus::TooLarge, tooLarge);

    // The size is only a hint: the file may grow while it is read.
    content.resize(limit + 1);
    std::size_t filled = 0;
    while (filled < content.size()) {
        const ssize_t n = ::read(fd, content.data() + filled, content.size() - filled);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return finish(ReadStatus::CannotOpen, SystemText(errno));
        if (n == 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    if (filled > limit)
        return finish(ReadStatus::TooLarge, tooLarge);
    content.resize(filled);
    return finish(ReadStatus::Ok, "");
}

bool ReplaceFileContent(const std::string& path, std::string_view content, std::string* reason) {
    std::string target;
    int error = 0;
    if (!FollowLinks(path, target, error))
        return Fail(reason, error);
    if (!MayReplace(target, reason))
        return false;
    const std::string directory = DirectoryOf(target);
    std::string tempPath;
    const int fd = OpenTemporary(directory, target, tempPath, reason);
    if (fd < 0)
        return false;
    if (!FillAndRename(fd, tempPath, target, content, error)) {
        ::unlink(tempPath.c_str());
        return Fail(reason, error);
    }
    // The new content is in place; only a synced directory keeps it there after a power cut.
    if (!SyncDirectory(directory, error))
        return Fail(reason, error);
    // What a killed save of this target left behind goes now.
    RemoveStaleTemporaries(directory, FileNameOf(target));
    return true;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);  // UTF-8 already
}

}  // namespace vyr
