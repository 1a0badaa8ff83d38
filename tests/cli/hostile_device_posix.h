// A device that answers vyrctl with whatever bytes a test gives it: a thread serving the
// master side of a pseudo-terminal. It answers the loopback synchronisation, the login (as
// the service account), every command line and file write (storing nothing), and reads of
// files and of lines from its tables; anything else is refused.
#pragma once

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "link/frame.h"
#include "sim/line_timing.h"
#include "sim/pty.h"

namespace vyr::test {

class HostileDevice {
  public:
    HostileDevice() = default;
    ~HostileDevice() { Stop(); }
    HostileDevice(const HostileDevice&) = delete;
    HostileDevice& operator=(const HostileDevice&) = delete;

    // The files a read answers with, and the frames of a line-by-line read (each payload as
    // given, line feed or not). Set them before the first request.
    std::map<std::string, std::string> files;
    std::map<std::string, std::vector<std::string>> lines;
    // What a read of a file not in `files` answers with; refused when empty.
    std::string otherFiles;

    bool Start(std::string* error) {
        if (!pty_.Open(error))
            return false;
        thread_ = std::thread([this] { Run(); });
        return true;
    }
    void Stop() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        pty_.Close();
    }
    const std::string& PortPath() const { return pty_.SlavePath(); }

  private:
    using Frame = serial_link::CommandFrame;

    static Frame Text(const Frame& request, std::uint32_t command, const std::string& text) {
        Frame reply;
        reply.command = command;
        reply.name = request.name;
        reply.payload_is_text = 1;
        reply.SetPayloadText(text);
        return reply;
    }

    std::vector<Frame> Answer(const Frame& request) const {
        const std::string name(request.Name());
        switch (request.command) {
            case serial_link::kLoopbackTest:
                return {request};
            case serial_link::kLogin: {
                Frame level = request;
                level.command = serial_link::kReply;
                level.payload_is_text = 0;
                level.SetPayloadInteger(0);
                return {level};
            }
            case serial_link::kMessage:
            case serial_link::kRunCommand:
            case serial_link::kWriteFile:
                return {Text(request, serial_link::kReply, "")};
            case serial_link::kReadFile:
                if (const auto file = files.find(name); file != files.end())
                    return {Text(request, serial_link::kReply, file->second)};
                if (!otherFiles.empty())
                    return {Text(request, serial_link::kReply, otherFiles)};
                break;
            case serial_link::kReadLines:
                if (const auto file = lines.find(name); file != lines.end()) {
                    std::vector<Frame> frames;
                    for (const std::string& line : file->second)
                        frames.push_back(Text(request, serial_link::kReadLines, line));
                    frames.push_back(Text(request, serial_link::kReply, ""));
                    return frames;
                }
                break;
            default:
                break;
        }
        return {Text(request, serial_link::kRefused, "Operation not permitted")};
    }

    bool Send(const Frame& frame) {
        serial_link::WireFrame wire;
        serial_link::EncodeFrame(frame, wire);
        std::size_t sent = 0;
        while (sent < wire.size() && !stop_) {
            const ssize_t n = write(pty_.Master(), wire.data() + sent, wire.size() - sent);
            if (n > 0) {
                sent += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            pollfd pfd{pty_.Master(), POLLOUT, 0};
            poll(&pfd, 1, 20);
        }
        return sent == wire.size();
    }

    void Run() {
        vyrsim::FrameAssembler input;
        unsigned char buffer[4096];
        while (!stop_) {
            pollfd pfd{pty_.Master(), POLLIN, 0};
            if (poll(&pfd, 1, 20) <= 0 || (pfd.revents & POLLIN) == 0)
                continue;
            const ssize_t count = read(pty_.Master(), buffer, sizeof buffer);
            if (count <= 0)
                continue;
            input.Add(buffer, static_cast<std::size_t>(count), vyrsim::SteadyClock::now());
            while (input.HasFrame()) {
                Frame request;
                serial_link::DecodeFrame(input.Take(), request);
                for (const Frame& reply : Answer(request)) {
                    if (!Send(reply))
                        break;
                }
            }
        }
    }

    vyrsim::PseudoTerminal pty_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

}  // namespace vyr::test
