// Receiving whole frames from a byte stream, and the time bytes take on a UART line.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <vector>

#include "link/frame.h"

namespace vyrsim {

using SteadyClock = std::chrono::steady_clock;

// Time `bytes` bytes take at `baud` with 10 bits per byte (start, 8 data, stop bit).
SteadyClock::duration LineTime(std::size_t bytes, int baud);

// Collects bytes as they arrive and hands out whole 444-byte frames, remembering when the
// first byte of each frame arrived.
class FrameAssembler {
  public:
    void Add(const unsigned char* data, std::size_t size, SteadyClock::time_point now);

    std::size_t Buffered() const { return bytes_.size(); }
    bool HasFrame() const { return bytes_.size() >= serial_link::kFrameSize; }
    // Arrival of the first byte of the next frame; only when something is buffered.
    SteadyClock::time_point FirstByteTime() const { return chunks_.front().at; }
    // Arrival of the latest bytes; only when something is buffered.
    SteadyClock::time_point LastByteTime() const { return chunks_.back().at; }

    serial_link::WireFrame Take();
    // Drops everything buffered; returns the number of bytes dropped.
    std::size_t Clear();

  private:
    struct Chunk {
        std::size_t start;  // offset of its first byte in bytes_
        SteadyClock::time_point at;
    };
    std::vector<unsigned char> bytes_;
    std::deque<Chunk> chunks_;
};

}  // namespace vyrsim
