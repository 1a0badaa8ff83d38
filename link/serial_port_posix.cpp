// Serial port on POSIX systems: termios for the line settings, poll for the time-outs.
#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

#include "serial_port.h"

namespace serial_link {

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<Milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}

class PosixSerialPort final : public SerialPort {
  public:
    explicit PosixSerialPort(int fd) : fd_(fd) {}
    ~PosixSerialPort() override { ::close(fd_); }

    std::size_t Read(void* buffer, std::size_t size, Milliseconds total,
                     Milliseconds gap) override {
        auto* bytes = static_cast<unsigned char*>(buffer);
        std::size_t got = 0;
        const auto deadline = Clock::now() + total;
        while (got < size && !vanished_) {
            int wait = RemainingMs(deadline);
            if (got > 0)
                wait = std::min(wait, static_cast<int>(gap.count()));
            pollfd pfd{fd_, POLLIN, 0};
            const int ready = ::poll(&pfd, 1, wait);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                break;  // time-out (or a poll failure, which reads as one)
            const ssize_t n = ::read(fd_, bytes + got, size - got);
            if (n > 0) {
                got += static_cast<std::size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            } else if (n < 0 || (pfd.revents & (POLLHUP | POLLERR)) != 0) {
                // EIO, or end of file together with a hang-up: the device is gone. A read of
                // 0 without a hang-up is only "no data yet".
                vanished_ = true;
            }
        }
        return got;
    }

    std::size_t Write(const void* buffer, std::size_t size, Milliseconds total) override {
        const auto* bytes = static_cast<const unsigned char*>(buffer);
        std::size_t sent = 0;
        const auto deadline = Clock::now() + total;
        while (sent < size && !vanished_) {
            const ssize_t n = ::write(fd_, bytes + sent, size - sent);
            if (n > 0) {
                sent += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                vanished_ = errno == EIO || errno == ENXIO || errno == ENODEV;
                break;
            }
            pollfd pfd{fd_, POLLOUT, 0};
            const int wait = RemainingMs(deadline);
            if (wait == 0)
                break;
            const int ready = ::poll(&pfd, 1, wait);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                break;
            if ((pfd.revents & (POLLHUP | POLLERR)) != 0)
                vanished_ = true;
        }
        // The write is done when the bytes have left: at 9600 baud a frame takes 462.5 ms on
        // the line, and a reply cannot come before the device has the whole request.
        if (sent > 0 && !vanished_) {
            while (::tcdrain(fd_) != 0 && errno == EINTR) {
            }
        }
        return sent;
    }

    bool Vanished() const override { return vanished_; }

  private:
    int fd_;
    bool vanished_ = false;
};

bool Configure(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

}  // namespace

namespace {

PortError KindOf(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return PortError::NotFound;
        case EACCES:
        case EPERM:
            return PortError::PermissionDenied;
        case EBUSY:
        case EWOULDBLOCK:
            return PortError::InUse;
        case ENOTTY:
            return PortError::NotASerialPort;
        default:
            return PortError::Other;
    }
}

}  // namespace

std::string GroupThatMayOpen(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || (info.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
        return {};
    if (info.st_gid == ::getegid())
        return {};
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(count > 0 ? count : 0));
    if (count > 0 && ::getgroups(count, groups.data()) == count &&
        std::find(groups.begin(), groups.end(), info.st_gid) != groups.end())
        return {};
    std::vector<char> buffer(4096);
    group entry {};
    group* found = nullptr;
    while (::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    return found != nullptr ? std::string(found->gr_name) : std::string();
}

std::unique_ptr<SerialPort> OpenSerialPort(const std::string& path, PortError* kind,
                                           std::string* reason) {
    const auto fail = [&](int error, const char* words) -> std::unique_ptr<SerialPort> {
        if (kind != nullptr)
            *kind = KindOf(error);
        if (reason != nullptr)
            *reason = words != nullptr ? words : std::strerror(error);
        return nullptr;
    };
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(errno, errno == EBUSY ? "port is in use" : nullptr);
    auto port = std::make_unique<PosixSerialPort>(fd);
    if (!::isatty(fd))
        return fail(ENOTTY, "not a serial port");
    // Nobody else may use the port while we have it: TIOCEXCL refuses further opens (but not
    // to root), the advisory lock stops every program that locks too, this one included.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(errno, errno == EWOULDBLOCK ? "port is in use" : nullptr);
    if (::ioctl(fd, TIOCEXCL) != 0)
        return fail(errno, nullptr);
    if (!Configure(fd))
        return fail(errno, nullptr);
    // A pseudo-terminal has no modem lines; that is not an error.
    const int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIC, &lines);
    ::tcflush(fd, TCIOFLUSH);
    return port;
}

namespace {

// A built-in port is listed only when a driver claims it and, for the common UART driver,
// when a UART answers at its address.
bool HasHardware(const std::filesystem::path& dev, const std::string& name) {
    std::error_code ec;
    const auto driver = std::filesystem::path("/sys/class/tty") / name / "device" / "driver";
    if (!std::filesystem::exists(driver, ec))
        return false;
    // Since Linux 6.5 the tty's device is the UART's port on the serial-base bus, whose
    // driver is "port": the same check as for the UART driver itself.
    const auto claimedBy = std::filesystem::read_symlink(driver, ec).filename();
    if (claimedBy != "serial8250" && claimedBy != "port")
        return true;
    // The UART type the kernel found (0: none). Reading it opens no port, so a rescan never
    // raises the modem lines of a device attached there.
    if (std::ifstream type(std::filesystem::path("/sys/class/tty") / name / "type"); type) {
        int uart = 0;
        if (type >> uart)
            return uart != PORT_UNKNOWN;
    }
    const int fd = ::open(dev.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    serial_struct info{};
    const bool present = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return present;
}

}  // namespace

namespace {

// The number after `prefix` in a device name such as ttyUSB0; nothing for other names.
std::optional<long> PortNumber(const std::string& name, std::string_view prefix) {
    if (!name.starts_with(prefix) || name.size() == prefix.size() ||
        name.size() > prefix.size() + 6) {
        return std::nullopt;
    }
    long number = 0;
    for (char c : std::string_view(name).substr(prefix.size())) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

}  // namespace

std::vector<std::string> ListSerialPorts() {
    struct Group {
        std::string_view prefix;
        bool needsHardwareCheck;
    };
    static constexpr Group kGroups[] = {{"ttyACM", false}, {"ttyUSB", false}, {"ttyS", true}};
    std::vector<std::string> ports;
    std::error_code ec;
    for (const Group& group : kGroups) {
        std::vector<std::pair<long, std::string>> found;
        for (const auto& entry : std::filesystem::directory_iterator("/dev", ec)) {
            const std::string name = entry.path().filename().string();
            const auto number = PortNumber(name, group.prefix);
            if (!number || (group.needsHardwareCheck && !HasHardware(entry.path(), name)))
                continue;
            found.emplace_back(*number, entry.path().string());
        }
        std::sort(found.begin(), found.end());
        for (auto& [number, path] : found)
            ports.push_back(std::move(path));
    }
    return ports;
}

}  // namespace serial_link
