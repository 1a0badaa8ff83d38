// Read-file exchanges against the simulator over a pseudo-terminal.
//   (a) 10,000 exchanges with no added latency: time per exchange.
//   (b) 860 exchanges with the simulator behaving like a UART at 921,600 baud: total time
//       against the time the bytes need on the wire (2 x 444 bytes x 10 bits per exchange).
//
//   build/bench/link [exchanges-a] [exchanges-b]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/protocol.h"
#include "sim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;

bool Connect(vyrsim::Simulator& sim, serial_link::Link& link, const vyrsim::Faults& faults) {
    std::string error;
    if (!sim.Start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return false;
    }
    sim.SetFaults(faults);
    link.SetDiagnosticSink(
        [](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); });
    return link.Open(sim.PortPath());
}

constexpr const char* kPath = "/chroma/settings/1/rec_meta_description0";

}  // namespace

int main(int argc, char** argv) {
    const int countA = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const int countB = argc > 2 ? std::max(1, std::atoi(argv[2])) : 860;

    {
        vyrsim::Simulator sim;
        serial_link::Link link;
        if (!Connect(sim, link, {}))
            return 1;
        std::vector<double> micros;
        micros.reserve(static_cast<std::size_t>(countA));
        for (int i = 0; i < countA; ++i) {
            const auto start = Clock::now();
            serial_link::LinkHold hold(link);
            if (!serial_link::ReadRemoteFile(hold, kPath, serial_link::Match::Loose)) {
                std::fprintf(stderr, "exchange %d failed\n", i);
                return 1;
            }
            micros.push_back(
                std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        }
        std::sort(micros.begin(), micros.end());
        const auto at = [&](double q) {
            return micros[static_cast<std::size_t>(q * double(micros.size() - 1))];
        };
        std::printf(
            "(a) %d read-file exchanges, no added latency: median %.1f us, p10 %.1f us, p99 %.1f "
            "us\n",
            countA, at(0.5), at(0.1), at(0.99));
    }
    {
        constexpr int kBaud = 921600;
        vyrsim::Simulator sim;
        serial_link::Link link;
        if (!Connect(sim, link, {.baud = kBaud}))
            return 1;
        const auto start = Clock::now();
        for (int i = 0; i < countB; ++i) {
            serial_link::LinkHold hold(link);
            if (!serial_link::ReadRemoteFile(hold, kPath, serial_link::Match::Loose)) {
                std::fprintf(stderr, "paced exchange %d failed\n", i);
                return 1;
            }
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double wire = countB * 2.0 * 444 * 10 / kBaud;
        std::printf("(b) %d read-file exchanges at %d baud: %.3f s, wire time %.3f s, ratio %.4f\n",
                    countB, kBaud, seconds, wire, seconds / wire);
    }
    return 0;
}
