// Read-file exchanges with a device (or vyrsim) on a port named on the command line, so that
// the same measurement runs on Linux and, cross-built, on Windows or under Wine:
//   link_port PORT [exchanges] [baud]
// baud: the rate the device's line runs at (vyrsim --baud N); each exchange is then set
// against the time its 2 × 444 bytes need on the wire. Without it: the time per exchange
// at full speed, which is the link's own overhead.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/protocol.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: link_port PORT [exchanges] [baud]\n");
        return 1;
    }
    const std::string port = argv[1];
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
    const int baud = argc > 3 ? std::max(0, std::atoi(argv[3])) : 0;

    serial_link::Link link;
    link.SetDiagnosticSink(
        [](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); });
    if (!link.Open(port)) {
        std::fprintf(stderr, "cannot open %s: %s\n", port.c_str(),
                     link.LastOpenError().reason.c_str());
        return 1;
    }
    constexpr const char* kPath = "/chroma/settings/1/rec_meta_description0";
    using Clock = std::chrono::steady_clock;
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(count));
    const auto begin = Clock::now();
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        serial_link::LinkHold hold(link);
        if (!serial_link::ReadRemoteFile(hold, kPath, serial_link::Match::Loose)) {
            std::fprintf(stderr, "exchange %d failed\n", i);
            return 1;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) {
        return micros[static_cast<std::size_t>(q * double(micros.size() - 1))];
    };
    std::printf("%d read-file exchanges on %s: median %.1f us, p10 %.1f us, p99 %.1f us\n", count,
                port.c_str(), at(0.5), at(0.1), at(0.99));
    if (baud > 0) {
        const double wire = count * 2.0 * 444 * 10 / baud;
        std::printf("at %d baud: %.3f s, wire time %.3f s, ratio %.4f\n", baud, seconds, wire,
                    seconds / wire);
    }
    return 0;
}
