// The link to the device: the open port, its time-outs, the diagnostics and the link lock,
// and the frame layer that moves whole command frames over the port.
#pragma once

#include <functional>
#include <memory>
#include <random>
#include <semaphore>
#include <string>
#include <string_view>

#include "link/frame.h"
#include "link/serial_port.h"

// Checks the arguments of a printf-style function. MinGW's printf takes the C99 formats (%zu)
// only under a format name of its own.
#ifdef __MINGW_PRINTF_FORMAT
#define VYR_PRINTF_LIKE(text, first) __attribute__((format(__MINGW_PRINTF_FORMAT, text, first)))
#else
#define VYR_PRINTF_LIKE(text, first) __attribute__((format(printf, text, first)))
#endif

namespace serial_link {

// Read and write time-outs of one frame, and the line they run on.
struct Timeouts {
    Milliseconds readTotal{644};  // 444 bytes x 1 ms + 200 ms
    Milliseconds readGap{10};     // silence that ends a read once bytes have arrived
    Milliseconds writeTotal{1444};
    // Bits per second of the line. The read window of a reply opens only when the request
    // has left the line at this rate: a serial adapter that reports its output sent while
    // its own buffer still transmits, or a pseudo-terminal, has not yet delivered it to the
    // device. 0: no line time.
    int lineBaud = 9600;
};

// How long `bytes` take on a line of `baud` bits per second (start bit, 8 data bits, stop bit).
std::chrono::nanoseconds LineTime(std::size_t bytes, int baud);

// Why a port could not be opened.
struct OpenError {
    PortError kind = PortError::Other;
    std::string reason;  // the system's words, e.g. "Permission denied", "port is in use"
};

// Receives every diagnostic line; standard output unless replaced.
using DiagnosticSink = std::function<void(std::string_view)>;

class Link;

// The link lock: one binary semaphore, taken around each exchange (or group of exchanges
// that belong together). Not recursive.
class LinkLock {
  public:
    void Wait() { semaphore_.acquire(); }
    bool TryWait() { return semaphore_.try_acquire(); }
    void Post() { semaphore_.release(); }

  private:
    std::binary_semaphore semaphore_{1};
};

// Proof that the link lock is held: the exchanges that need the lock take one of these.
class LinkHold {
  public:
    // Waits for the lock.
    explicit LinkHold(Link& link);
    ~LinkHold();
    LinkHold(const LinkHold&) = delete;
    LinkHold& operator=(const LinkHold&) = delete;

    Link& link() const { return link_; }

  private:
    Link& link_;
};

class Link {
  public:
    Link();
    ~Link();

    // Opens the port at `path` for the device; false with a diagnostic when it cannot
    // (LastOpenError says why).
    bool Open(const std::string& path);
    const OpenError& LastOpenError() const { return openError_; }
    // Opens entry `index` of a port list.
    bool OpenIndex(int index, const std::vector<std::string>& ports);
    // Uses a port opened elsewhere (another transport, or a test double).
    void Attach(std::unique_ptr<SerialPort> port) { port_ = std::move(port); }
    void Close();
    bool IsOpen() const { return port_ != nullptr; }
    // True when the open port found the device gone.
    bool Vanished() const { return port_ != nullptr && port_->Vanished(); }

    SerialPort* Port() { return port_.get(); }

    const Timeouts& GetTimeouts() const { return timeouts_; }
    // Tests shorten the time-outs here; the program never changes them.
    void SetTimeoutsForTesting(const Timeouts& timeouts) { timeouts_ = timeouts; }

    void SetDiagnosticSink(DiagnosticSink sink);
    // printf-style diagnostic line.
    void Diagnostic(const char* format, ...) VYR_PRINTF_LIKE(2, 3);
    void FlushDiagnostics();

    LinkLock& Lock() { return lock_; }

    // When the last request sent has left the line (see Timeouts::lineBaud).
    void NoteRequestSent(std::chrono::steady_clock::time_point start, std::size_t bytes);
    std::chrono::steady_clock::time_point LineFreeAt() const { return lineFreeAt_; }

    // Test value of the next loopback synchronisation: 0..32767 from a generator that is
    // never seeded, so the sequence is the same in every run.
    std::int32_t NextLoopbackValue();
    // Tests choose the values instead.
    void SetLoopbackValuesForTesting(std::function<std::int32_t()> source) {
        loopbackSource_ = std::move(source);
    }

  private:
    std::unique_ptr<SerialPort> port_;
    Timeouts timeouts_;
    DiagnosticSink sink_;
    LinkLock lock_;
    OpenError openError_;
    std::chrono::steady_clock::time_point lineFreeAt_{};
    std::minstd_rand random_;
    std::function<std::int32_t()> loopbackSource_;
};

namespace protocol {

// Sends one frame whole: 1 when all 444 bytes were written, else 0. The frame is not changed.
int send_command(Link& link, const CommandFrame& frame);

// Receives one frame whole into `frame`: 1 when exactly 444 bytes arrived, else 0 (the bytes
// of a short read are dropped and `frame` keeps what it held). The wait starts no earlier than
// when the last request has left the line.
int recv_command(Link& link, CommandFrame& frame);

}  // namespace protocol

}  // namespace serial_link
