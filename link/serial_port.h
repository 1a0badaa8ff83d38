// One serial port behind a small interface; each platform has its own implementation.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace serial_link {

using Milliseconds = std::chrono::milliseconds;

class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Reads up to `size` bytes. Ends when all arrived, after `total` in all, or after `gap`
    // of silence once bytes have started to arrive. Returns the number read; returns at once
    // with what it has when the device is gone.
    virtual std::size_t Read(void* buffer, std::size_t size, Milliseconds total,
                             Milliseconds gap) = 0;

    // Writes `size` bytes, giving up after `total`, and returns once they have left the
    // computer (the port's output drained). Returns the number written.
    virtual std::size_t Write(const void* buffer, std::size_t size, Milliseconds total) = 0;

    // True once a read or write found the device gone (unplugged, hung up).
    virtual bool Vanished() const = 0;
};

enum class PortError { NotFound, PermissionDenied, InUse, NotASerialPort, Other };

// Opens and configures a port for the device: 9600 baud, 8 data bits, no parity, 1 stop
// bit, raw, no flow control, DTR and RTS dropped, both directions flushed, exclusive (no
// other open of the port, by this or another program, root included, succeeds while it is
// open). Null with the kind of failure and the system's words in `kind` and `reason`.
std::unique_ptr<SerialPort> OpenSerialPort(const std::string& path, PortError* kind,
                                           std::string* reason);

// The group whose members may read and write the port at `path`, when the user is not one of
// them: joining it would let the user open the port. Empty when it would not (the group may
// not use the port, the user is a member already, or the system has no such groups).
std::string GroupThatMayOpen(const std::string& path);

// Serial ports present on this computer, by device path: USB modems (how the device
// appears), USB serial adapters, then the built-in ports that have hardware behind them;
// each group in numeric order.
std::vector<std::string> ListSerialPorts();

}  // namespace serial_link
