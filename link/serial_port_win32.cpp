// Serial port on Windows: the COM API, synchronous reads and writes bounded by the port's
// time-outs.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string_view>

#include "link/port_names.h"
#include "serial_port.h"
#include "text_win32.h"

namespace serial_link {

namespace {

// The time-outs set at open: a 444-byte frame read ends after 444 × 1 + 200 = 644 ms, or after
// 10 ms of silence once bytes have arrived; a 444-byte write gives up after 1444 ms.
constexpr COMMTIMEOUTS kOpenTimeouts{10, 1, 200, 1, 1000};

// Errors of a read or write on a port whose device is gone (a USB adapter unplugged).
bool MeansVanished(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_BAD_COMMAND ||
           error == ERROR_DEVICE_NOT_CONNECTED || error == ERROR_DEV_NOT_EXIST ||
           error == ERROR_INVALID_HANDLE || error == ERROR_FILE_NOT_FOUND;
}

DWORD Clamp(Milliseconds ms) {
    return static_cast<DWORD>(std::clamp<long long>(ms.count(), 0, MAXDWORD - 1));
}

// Our own claim on a port, besides the exclusive open: a named semaphore of one count per
// port. A driver that lets a second program open the port (some virtual ports do) would let
// two programs read each other's replies; the claim refuses the second of ours at once. The
// system removes it with the last handle, so a program that died leaves no claim behind.
class PortClaim {
  public:
    explicit PortClaim(unsigned number) {
        wchar_t name[64];
        ::swprintf(name, 64, L"Local\\VyrSerialPort-COM%u", number);
        handle_ = ::CreateSemaphoreW(nullptr, 1, 1, name);
        taken_ = handle_ != nullptr && ::WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0;
    }
    ~PortClaim() {
        if (taken_)
            ::ReleaseSemaphore(handle_, 1, nullptr);
        if (handle_ != nullptr)
            ::CloseHandle(handle_);
    }
    PortClaim(const PortClaim&) = delete;
    PortClaim& operator=(const PortClaim&) = delete;

    // False when another program of ours has the port (or the claim cannot be made, which
    // leaves the exclusive open to decide).
    bool Refused() const { return handle_ != nullptr && !taken_; }

  private:
    HANDLE handle_ = nullptr;
    bool taken_ = false;
};

class Win32SerialPort final : public SerialPort {
  public:
    Win32SerialPort(HANDLE handle, std::unique_ptr<PortClaim> claim)
        : handle_(handle), claim_(std::move(claim)), timeouts_(kOpenTimeouts) {}
    ~Win32SerialPort() override { ::CloseHandle(handle_); }

    std::size_t Read(void* buffer, std::size_t size, Milliseconds total,
                     Milliseconds gap) override {
        if (vanished_ || size == 0)
            return 0;
        // The port's own time-outs end the read: the interval time-out is the gap after the
        // first byte, the total bounds the whole read. The frame read keeps the time-outs set
        // at open (444 × 1 + 200 ms); other sizes and waits get a constant of their own.
        const DWORD count = static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
        COMMTIMEOUTS wanted = timeouts_;
        wanted.ReadIntervalTimeout = std::max<DWORD>(1, Clamp(gap));
        const DWORD whole = Clamp(total);
        if (whole >= count) {
            wanted.ReadTotalTimeoutMultiplier = 1;
            wanted.ReadTotalTimeoutConstant = whole - count;
        } else {
            wanted.ReadTotalTimeoutMultiplier = 0;
            wanted.ReadTotalTimeoutConstant = std::max<DWORD>(1, whole);
        }
        SetTimeouts(wanted);
        DWORD got = 0;
        if (!::ReadFile(handle_, buffer, count, &got, nullptr))
            Failed(::GetLastError());
        return got;
    }

    std::size_t Write(const void* buffer, std::size_t size, Milliseconds total) override {
        if (vanished_ || size == 0)
            return 0;
        const DWORD count = static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
        COMMTIMEOUTS wanted = timeouts_;
        const DWORD whole = Clamp(total);
        wanted.WriteTotalTimeoutMultiplier = whole >= count ? 1 : 0;
        wanted.WriteTotalTimeoutConstant = whole >= count ? whole - count : std::max<DWORD>(1, whole);
        SetTimeouts(wanted);
        DWORD sent = 0;
        if (!::WriteFile(handle_, buffer, count, &sent, nullptr))
            Failed(::GetLastError());
        // The write is done when the bytes have left: at 9600 baud a frame takes 462.5 ms on
        // the line, and a reply cannot come before the device has the whole request.
        if (sent > 0 && !vanished_ && !::FlushFileBuffers(handle_))
            Failed(::GetLastError());
        return sent;
    }

    bool Vanished() const override { return vanished_; }

  private:
    void SetTimeouts(const COMMTIMEOUTS& wanted) {
        const auto same = [](const COMMTIMEOUTS& a, const COMMTIMEOUTS& b) {
            return a.ReadIntervalTimeout == b.ReadIntervalTimeout &&
                   a.ReadTotalTimeoutMultiplier == b.ReadTotalTimeoutMultiplier &&
                   a.ReadTotalTimeoutConstant == b.ReadTotalTimeoutConstant &&
                   a.WriteTotalTimeoutMultiplier == b.WriteTotalTimeoutMultiplier &&
                   a.WriteTotalTimeoutConstant == b.WriteTotalTimeoutConstant;
        };
        if (same(wanted, timeouts_))
            return;
        COMMTIMEOUTS copy = wanted;
        if (::SetCommTimeouts(handle_, &copy))
            timeouts_ = wanted;
    }

    // A failed read or write: the device is gone, or a line error stopped the port, which
    // reads and writes again once the error is cleared.
    void Failed(DWORD error) {
        if (MeansVanished(error)) {
            vanished_ = true;
            return;
        }
        DWORD errors = 0;
        ::ClearCommError(handle_, &errors, nullptr);
    }

    HANDLE handle_;
    std::unique_ptr<PortClaim> claim_;  // given up after the handle is closed
    COMMTIMEOUTS timeouts_;
    bool vanished_ = false;
};

PortError KindOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
        case ERROR_DEV_NOT_EXIST:
            return PortError::NotFound;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            return PortError::InUse;
        default:
            return PortError::Other;
    }
}

// The number of a port named "COM5" (any case), "\\.\COM5" or "//./COM5"; nothing for other
// names.
std::optional<unsigned> ComNumber(std::string_view name) {
    for (std::string_view prefix : {"\\\\.\\", "//./"}) {
        if (name.starts_with(prefix)) {
            name.remove_prefix(prefix.size());
            break;
        }
    }
    if (name.size() < 4 || name.size() > 6)
        return std::nullopt;
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i])
            return std::nullopt;
    }
    unsigned number = 0;
    for (char c : name.substr(3)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (number == 0 || number > 256 || name[3] == '0')
        return std::nullopt;
    return number;
}

}  // namespace

std::string GroupThatMayOpen(const std::string&) {
    return {};  // a COM port is open to every user
}

std::unique_ptr<SerialPort> OpenSerialPort(const std::string& path, PortError* kind,
                                           std::string* reason) {
    const auto fail = [&](PortError what, std::string words) -> std::unique_ptr<SerialPort> {
        if (kind != nullptr)
            *kind = what;
        if (reason != nullptr)
            *reason = std::move(words);
        return nullptr;
    };
    const auto number = ComNumber(path);
    if (!number)
        return fail(PortError::NotFound, "not a COM port name (such as COM5)");
    auto claim = std::make_unique<PortClaim>(*number);
    if (claim->Refused())
        return fail(PortError::InUse, "port is in use");
    // "\\.\COM%d" reaches every port, also those above COM9.
    wchar_t device[50];
    ::swprintf(device, 50, L"\\\\.\\COM%u", *number);
    const HANDLE handle = ::CreateFileW(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const PortError what = KindOf(error);
        return fail(what, what == PortError::InUse ? "port is in use" : SystemMessage(error));
    }
    auto port = std::make_unique<Win32SerialPort>(handle, std::move(claim));

    // The device control block as the driver has it, with only the line settings changed:
    // 9600 baud, binary, DTR and RTS off, 8 data bits, no parity, one stop bit.
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    if (!::GetCommState(handle, &dcb))
        return fail(PortError::NotASerialPort, "not a serial port");
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = CBR_9600;
    dcb.fBinary = TRUE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    if (!::SetCommState(handle, &dcb))
        return fail(PortError::Other, SystemMessage(::GetLastError()));
    // A virtual port has no modem lines (error 50, not supported): that is not an error.
    ::EscapeCommFunction(handle, CLRDTR);
    ::EscapeCommFunction(handle, CLRRTS);
    ::PurgeComm(handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    COMMTIMEOUTS timeouts = kOpenTimeouts;
    if (!::SetCommTimeouts(handle, &timeouts))
        return fail(PortError::Other, SystemMessage(::GetLastError()));
    return port;
}

namespace {

// The COM ports in the system's serial-port map: one value per port, its data the port name.
std::set<unsigned> PortsInRegistry() {
    std::set<unsigned> ports;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                        &key) != ERROR_SUCCESS) {
        return ports;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        wchar_t data[64];
        DWORD dataBytes = sizeof(data) - sizeof(wchar_t);
        DWORD type = 0;
        const LONG status = ::RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data), &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || type != REG_SZ)
            continue;
        data[dataBytes / sizeof(wchar_t)] = L'\0';
        if (const auto number = ComNumber(Utf8FromWide(data)))
            ports.insert(*number);
    }
    ::RegCloseKey(key);
    return ports;
}

// The COM names the system knows as devices (what "\\.\COMn" opens).
std::set<unsigned> PortsKnownAsDevices() {
    std::set<unsigned> ports;
    for (unsigned number = 1; number <= 256; ++number) {
        wchar_t name[16];
        ::swprintf(name, 16, L"COM%u", number);
        wchar_t target[512];
        if (::QueryDosDeviceW(name, target, 512) != 0)
            ports.insert(number);
    }
    return ports;
}

}  // namespace

std::vector<std::string> ListSerialPorts() {
    // The registry's map lists the ports of the drivers that announce them. A port that only
    // has a device name (some virtual ports) is still a port the user may want.
    std::set<unsigned> numbers = PortsInRegistry();
    numbers.merge(PortsKnownAsDevices());
    std::vector<std::string> ports;
    for (unsigned number : numbers)
        ports.push_back("COM" + std::to_string(number));
    return ports;
}

std::string DevicePath(const std::string& path) {
    const auto number = ComNumber(path);
    return number ? "COM" + std::to_string(*number) : path;
}

int PortIndex(const std::string& path) {
    const auto number = ComNumber(path);
    return number ? static_cast<int>(*number) - 1 : -1;
}

std::string PortForIndex(int index) {
    return index >= 0 && index < 256 ? "COM" + std::to_string(index + 1) : std::string();
}

}  // namespace serial_link
