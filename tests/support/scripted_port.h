// A serial port that answers from a script: each read delivers the next queued reply frame
// whole (or nothing when none is left), each write is decoded and kept.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <vector>

#include "link/frame.h"
#include "link/link.h"
#include "link/serial_port.h"

namespace vyr::test {

class ScriptedPort final : public serial_link::SerialPort {
  public:
    std::deque<serial_link::WireFrame> replies;
    std::vector<serial_link::CommandFrame>* sent = nullptr;

    std::size_t Read(void* buffer, std::size_t size, serial_link::Milliseconds,
                     serial_link::Milliseconds) override {
        if (replies.empty())
            return 0;
        const std::size_t n = std::min(size, replies.front().size());
        std::memcpy(buffer, replies.front().data(), n);
        replies.pop_front();
        return n;
    }
    std::size_t Write(const void* buffer, std::size_t size, serial_link::Milliseconds) override {
        if (sent != nullptr && size == serial_link::kFrameSize) {
            serial_link::WireFrame wire;
            std::memcpy(wire.data(), buffer, size);
            serial_link::CommandFrame frame;
            serial_link::DecodeFrame(wire, frame);
            sent->push_back(frame);
        }
        return size;
    }
    bool Vanished() const override { return false; }
};

// Attaches a scripted port to `link` (time-outs irrelevant: a read returns at once) and
// returns it for queuing replies.
inline ScriptedPort& AttachScriptedPort(serial_link::Link& link,
                                        std::vector<serial_link::CommandFrame>* sent = nullptr) {
    auto port = std::make_unique<ScriptedPort>();
    port->sent = sent;
    ScriptedPort& ref = *port;
    link.Attach(std::move(port));
    link.SetDiagnosticSink([](std::string_view) {});
    return ref;
}

inline serial_link::WireFrame Wire(const serial_link::CommandFrame& frame) {
    serial_link::WireFrame wire;
    serial_link::EncodeFrame(frame, wire);
    return wire;
}

}  // namespace vyr::test
