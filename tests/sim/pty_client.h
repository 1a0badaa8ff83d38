// A minimal client for the simulator's pseudo-terminal: raw descriptor, whole frames, and
// reads bounded by a deadline.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "link/frame.h"
#include "sim/simulator.h"

namespace vyrsim::test {

using namespace std::chrono_literals;
using serial_link::CommandFrame;
using serial_link::kFrameSize;
using serial_link::WireFrame;
using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

// How long a test waits for something that takes micro- to milliseconds when it works: far
// more than a loaded machine or a sanitizer build needs, so only a real hang runs into it.
inline constexpr Milliseconds kPatience = 10s;

// Waits until `done` holds; false when it does not within the patience.
template <typename F>
bool Eventually(F&& done) {
    const auto deadline = Clock::now() + kPatience;
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

class PtyClient {
  public:
    // With `makeRaw` false the terminal keeps the settings the simulator gave it.
    explicit PtyClient(const std::string& path, bool makeRaw = true) {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios tio{};
        if (makeRaw && fd_ >= 0 && tcgetattr(fd_, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~PtyClient() {
        if (fd_ >= 0)
            close(fd_);
    }
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }

    bool SendBytes(const unsigned char* data, std::size_t size) {
        return write(fd_, data, size) == static_cast<ssize_t>(size);
    }
    bool Send(const CommandFrame& frame) {
        WireFrame wire;
        serial_link::EncodeFrame(frame, wire);
        return SendBytes(wire.data(), wire.size());
    }

    // Reads until `size` bytes arrived, the deadline passed or the line hung up; gives the
    // number of bytes read.
    std::size_t ReadBytes(unsigned char* out, std::size_t size, Milliseconds timeout) {
        const auto deadline = Clock::now() + timeout;
        std::size_t got = 0;
        while (got < size) {
            const auto left =
                std::chrono::duration_cast<Milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                break;
            pollfd pfd{fd_, POLLIN, 0};
            if (poll(&pfd, 1, static_cast<int>(left)) <= 0)
                break;
            const ssize_t count = read(fd_, out + got, size - got);
            if (count <= 0)
                break;
            got += static_cast<std::size_t>(count);
        }
        return got;
    }

    std::optional<CommandFrame> Receive(Milliseconds timeout = kPatience) {
        WireFrame wire;
        if (ReadBytes(wire.data(), wire.size(), timeout) != wire.size())
            return std::nullopt;
        CommandFrame frame;
        serial_link::DecodeFrame(wire, frame);
        return frame;
    }

    // Bytes that arrive within `quiet`: 0 for a silent line.
    std::size_t Pending(Milliseconds quiet) {
        std::vector<unsigned char> sink(4 * kFrameSize);
        return ReadBytes(sink.data(), sink.size(), quiet);
    }

    short Poll(Milliseconds timeout) {
        pollfd pfd{fd_, POLLIN, 0};
        return poll(&pfd, 1, static_cast<int>(timeout.count())) > 0 ? pfd.revents : 0;
    }

  private:
    int fd_ = -1;
};

inline CommandFrame TextRequest(std::uint32_t command, std::string_view name,
                                std::string_view text = {}) {
    CommandFrame frame;
    EXPECT_TRUE(serial_link::BuildTextFrame(frame, command, name, text));
    return frame;
}

inline CommandFrame IntegerRequest(std::uint32_t command, std::string_view name,
                                   std::int32_t value) {
    CommandFrame frame;
    EXPECT_TRUE(serial_link::BuildIntegerFrame(frame, command, name, value));
    return frame;
}

// A started simulator and a client on its port.
class SimTest : public ::testing::Test {
  protected:
    explicit SimTest(Options options = {}) : sim(std::move(options)) {}

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim.Start(&error)) << error;
        client.emplace(sim.PortPath());
        ASSERT_TRUE(client->IsOpen());
    }

    // Sends a request and gives the first frame that answers it.
    std::optional<CommandFrame> Exchange(const CommandFrame& request) {
        if (!client->Send(request))
            return std::nullopt;
        return client->Receive();
    }

    std::optional<CommandFrame> Read(std::string_view path) {
        return Exchange(TextRequest(serial_link::kReadFile, path));
    }

    std::optional<CommandFrame> Shell(std::string_view tag, std::string_view line) {
        return Exchange(TextRequest(serial_link::kRunCommand, tag, line));
    }

    Simulator sim;
    std::optional<PtyClient> client;
};

}  // namespace vyrsim::test
