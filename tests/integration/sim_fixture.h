// A link connected to an in-process simulator over a real pseudo-terminal.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "link/link.h"
#include "device/connection.h"
#include "link/protocol.h"
#include "sim/simulator.h"

namespace vyr::test {

using namespace std::chrono_literals;

// Short time-outs so that a silent device costs milliseconds; generous enough for a
// loaded machine running sanitizers.
// No line time: a pseudo-terminal delivers at once, and a silent device should cost little.
inline serial_link::Timeouts ShortTimeouts() {
    return {120ms, 10ms, 500ms, 0};
}

// The short read time-out in seconds, for bounds on how long a wait took.
inline double ShortReadSeconds() {
    return std::chrono::duration<double>(ShortTimeouts().readTotal).count();
}

class SimLink : public ::testing::Test {
  protected:
    vyrsim::Simulator sim;
    DeviceConnection device;
    serial_link::Link& link = device.link;
    std::string diagnostics;

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim.Start(&error)) << error;
        link.SetDiagnosticSink([this](std::string_view text) { diagnostics += text; });
        ASSERT_TRUE(link.Open(sim.PortPath())) << diagnostics;
        link.SetTimeoutsForTesting(ShortTimeouts());
    }

    void SetFaults(const vyrsim::Faults& faults) { sim.SetFaults(faults); }

    // The simulator's log lines of one direction ("in " requests, "out" replies).
    std::vector<std::string> Frames(std::string_view direction) const {
        std::vector<std::string> lines;
        for (const std::string& line : sim.Log()) {
            if (line.starts_with(direction))
                lines.push_back(line);
        }
        return lines;
    }
    std::size_t CountRequests(std::string_view start) const {
        const auto in = Frames("in ");
        return static_cast<std::size_t>(std::count_if(
            in.begin(), in.end(), [&](const std::string& l) { return l.starts_with(start); }));
    }
};

template <typename F>
double SecondsFor(F&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace vyr::test
