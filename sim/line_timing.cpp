#include "sim/line_timing.h"

#include <algorithm>

namespace vyrsim {

SteadyClock::duration LineTime(std::size_t bytes, int baud) {
    if (baud <= 0)
        return SteadyClock::duration::zero();
    const auto nanoseconds = static_cast<long long>(bytes) * 10'000'000'000LL / baud;
    return std::chrono::duration_cast<SteadyClock::duration>(std::chrono::nanoseconds(nanoseconds));
}

void FrameAssembler::Add(const unsigned char* data, std::size_t size, SteadyClock::time_point now) {
    if (size == 0)
        return;
    chunks_.push_back({bytes_.size(), now});
    bytes_.insert(bytes_.end(), data, data + size);
}

serial_link::WireFrame FrameAssembler::Take() {
    constexpr std::size_t n = serial_link::kFrameSize;
    serial_link::WireFrame frame{};
    std::copy_n(bytes_.begin(), n, frame.begin());
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(n));
    // Keep the chunk that holds the new first byte, and the ones after it.
    while (chunks_.size() > 1 && chunks_[1].start <= n)
        chunks_.pop_front();
    if (bytes_.empty()) {
        chunks_.clear();
    } else {
        for (Chunk& chunk : chunks_)
            chunk.start = chunk.start > n ? chunk.start - n : 0;
    }
    return frame;
}

std::size_t FrameAssembler::Clear() {
    const std::size_t dropped = bytes_.size();
    bytes_.clear();
    chunks_.clear();
    return dropped;
}

}  // namespace vyrsim
