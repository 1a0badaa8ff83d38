#include "sim/pty.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vyrsim {

namespace {

bool Fail(std::string* error, const char* what) {
    if (error != nullptr)
        *error = std::string(what) + ": " + std::strerror(errno);
    return false;
}

}  // namespace

PseudoTerminal::~PseudoTerminal() {
    Close();
}

bool PseudoTerminal::Open(std::string* error) {
    Close();
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return Fail(error, "posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        Fail(error, "grantpt/unlockpt");
        Close();
        return false;
    }
    char path[128];
    if (ptsname_r(master_, path, sizeof path) != 0) {
        Fail(error, "ptsname");
        Close();
        return false;
    }
    slavePath_ = path;
    slave_ = open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        Fail(error, "open slave");
        Close();
        return false;
    }
    // Raw at once: no echo, no line editing, no signals from bytes such as 0x03, no character
    // translation, no flow control (0x11 and 0x13 are data), 8 bits.
    termios tio{};
    if (tcgetattr(slave_, &tio) != 0) {
        Fail(error, "tcgetattr");
        Close();
        return false;
    }
    cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXOFF | IXANY);
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(slave_, TCSANOW, &tio) != 0) {
        Fail(error, "tcsetattr");
        Close();
        return false;
    }
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        Fail(error, "fcntl");
        Close();
        return false;
    }
    return true;
}

bool PseudoTerminal::TakeAsControllingTerminal(std::string* error) {
    if (ioctl(slave_, TIOCSCTTY, 0) != 0)
        return Fail(error, "cannot make the port the controlling terminal (TIOCSCTTY)");
    return true;
}

void PseudoTerminal::Close() {
    if (master_ >= 0)
        close(master_);
    if (slave_ >= 0)
        close(slave_);
    master_ = -1;
    slave_ = -1;
}

bool ReplaceSymlink(const std::string& link, const std::string& target, std::string* error) {
    struct stat status {};
    if (lstat(link.c_str(), &status) == 0) {
        if (!S_ISLNK(status.st_mode)) {
            if (error != nullptr)
                *error = link + " exists and is not a symbolic link";
            return false;
        }
        if (unlink(link.c_str()) != 0)
            return Fail(error, "unlink");
    }
    if (symlink(target.c_str(), link.c_str()) != 0)
        return Fail(error, "symlink");
    return true;
}

void RemoveSymlink(const std::string& link, const std::string& target) {
    char buffer[4096];
    const ssize_t length = readlink(link.c_str(), buffer, sizeof buffer);
    if (length >= 0 && std::string(buffer, static_cast<std::size_t>(length)) == target)
        unlink(link.c_str());
}

bool WineComLink(int port, std::string& link, std::string* error) {
    const char* prefix = std::getenv("WINEPREFIX");
    std::string folder;
    if (prefix != nullptr && *prefix != '\0') {
        folder = prefix;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        folder = std::string(home) + "/.wine";
    } else {
        if (error != nullptr)
            *error = "finds no Wine prefix: neither WINEPREFIX nor HOME is set";
        return false;
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    folder += "/dosdevices";
    struct stat status {};
    if (stat(folder.c_str(), &status) != 0) {
        if (error != nullptr)
            *error = "needs Wine's folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(status.st_mode)) {
        if (error != nullptr)
            *error = "needs Wine's folder " + folder + ", which is not a folder";
        return false;
    }
    link = folder + "/com" + std::to_string(port);
    return true;
}

}  // namespace vyrsim
