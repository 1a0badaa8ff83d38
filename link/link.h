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

namespace serial_link {

// Read and write time-outs of one frame.
struct Timeouts {
    Milliseconds readTotal{644};  // 444 bytes x 1 ms + 200 ms
    Milliseconds readGap{10};     // silence that ends a read once bytes have arrived
    Milliseconds writeTotal{1444};
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

    // Opens the port at `path` for the device; false with a diagnostic when it cannot.
    bool Open(const std::string& path);
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
    void Diagnostic(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void FlushDiagnostics();

    LinkLock& Lock() { return lock_; }

    // The current user level: 6 nobody, 5 connected but not logged in, 0..4 a user's level.
    int UserLevel() const { return userLevel_; }
    void SetUserLevel(int level) { userLevel_ = level; }

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
    int userLevel_ = 6;
    std::minstd_rand random_;
    std::function<std::int32_t()> loopbackSource_;
};

namespace protocol {

// Sends one frame whole: 1 when all 444 bytes were written, else 0. The frame is not changed.
int send_command(Link& link, const CommandFrame& frame);

// Receives one frame whole into `frame`: 1 when exactly 444 bytes arrived, else 0 (the frame
// may then hold part of a frame and must not be used).
int recv_command(Link& link, CommandFrame& frame);

}  // namespace protocol

}  // namespace serial_link
