// A serial port whose incoming bytes come from a fuzz input, for the link targets.
//
// The input is a sequence of chunks, each a 2-byte big-endian length n followed by n bytes
// (fewer when the input ends first):
//   n = 0       one read that times out (nothing arrives);
//   n = 0xFFFF  the device is gone: this read and every later one returns nothing and the
//               port reports Vanished();
//   otherwise   n bytes arrive. A read takes at most the bytes it asked for; the rest of the
//               chunk is what the next read gets. A chunk shorter than a frame makes a short
//               read, a longer one frames that run on from one read into the next.
// Once the input is used up, every read times out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "link/frame.h"
#include "link/link.h"
#include "link/serial_port.h"

namespace vyr_fuzz {

// Stops the fuzzer with a message: a broken promise of the code under test.
[[noreturn]] inline void Fail(const char* what, const char* file = "", int line = 0) {
    std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}

#define VYR_FUZZ_CHECK(condition) \
    ((condition) ? void(0) : ::vyr_fuzz::Fail(#condition, __FILE__, __LINE__))

inline constexpr std::size_t kGoneChunk = 0xFFFF;

class FuzzPort : public serial_link::SerialPort {
  public:
    FuzzPort(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t Read(void* buffer, std::size_t size, serial_link::Milliseconds,
                     serial_link::Milliseconds) override {
        ++reads_;
        lastReadSize_ = 0;
        if (gone_)
            return 0;
        if (chunkLeft_ == 0) {
            if (size_ - at_ < 2)
                return 0;  // input used up: silence
            const std::size_t n = std::size_t{data_[at_]} << 8 | data_[at_ + 1];
            at_ += 2;
            if (n == kGoneChunk) {
                gone_ = true;
                return 0;
            }
            if (n == 0)
                return 0;
            chunkLeft_ = n;
        }
        std::size_t take = size < chunkLeft_ ? size : chunkLeft_;
        if (take > size_ - at_)
            take = size_ - at_;
        std::memcpy(buffer, data_ + at_, take);
        if (take == serial_link::kFrameSize) {
            serial_link::WireFrame wire;
            std::memcpy(wire.data(), data_ + at_, wire.size());
            serial_link::DecodeFrame(wire, lastRead_);
        }
        lastReadSize_ = take;
        at_ += take;
        chunkLeft_ = at_ == size_ ? 0 : chunkLeft_ - take;
        return take;
    }

    std::size_t Write(const void* buffer, std::size_t size, serial_link::Milliseconds) override {
        // The frame layer writes whole frames only, and each must decode to a frame again.
        VYR_FUZZ_CHECK(size == serial_link::kFrameSize);
        serial_link::WireFrame wire;
        std::memcpy(wire.data(), buffer, wire.size());
        serial_link::DecodeFrame(wire, lastWritten_);
        ++writes_;
        return gone_ ? 0 : size;
    }

    bool Vanished() const override { return gone_; }

    int Reads() const { return reads_; }
    int Writes() const { return writes_; }
    const serial_link::CommandFrame& LastWritten() const { return lastWritten_; }
    // The last read, and the frame it brought when it brought a whole one.
    std::size_t LastReadSize() const { return lastReadSize_; }
    const serial_link::CommandFrame& LastFrameRead() const { return lastRead_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    std::size_t chunkLeft_ = 0;
    bool gone_ = false;
    int reads_ = 0;
    int writes_ = 0;
    std::size_t lastReadSize_ = 0;
    serial_link::CommandFrame lastWritten_;
    serial_link::CommandFrame lastRead_;
};

// A link over a FuzzPort, with the diagnostics dropped (printing them would cost more than
// the parsing that is being fuzzed).
struct FuzzLink {
    serial_link::Link link;
    FuzzPort* port;

    FuzzLink(const std::uint8_t* data, std::size_t size) {
        auto owned = std::make_unique<FuzzPort>(data, size);
        port = owned.get();
        link.Attach(std::move(owned));
        link.SetDiagnosticSink([](std::string_view) {});
    }
};

}  // namespace vyr_fuzz
