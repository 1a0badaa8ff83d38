// Transfers against the simulator, each figure against a baseline measured in the same run:
//  - one exchange (a value read) with the simulator behaving like a UART at 9600 and at
//    921,600 baud, as a ratio to the time 888 bytes (request and reply) take on the wire;
//  - a full load and a full send with no added latency, and at 921,600 baud against the
//    wire time;
//  - a full load from a device that drops one reply in 250, against a clean load.
//
//   build/bench/transfer [exchanges at 9600 baud, default 8]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "device/transfer.h"
#include "sim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
using vyr::TransferStatus;

struct Figures {
    double seconds = 0;
    int exchanges = 0;
};

double WireSeconds(int exchanges, int baud) {
    return exchanges * 2.0 * 444 * 10 / baud;
}

class Bench {
  public:
    bool Start(vyrsim::Faults faults) {
        std::string error;
        if (!sim_.Start(&error)) {
            std::fprintf(stderr, "simulator: %s\n", error.c_str());
            return false;
        }
        sim_.SetFaults(faults);
        device_.link.SetDiagnosticSink([](std::string_view) {});
        if (!device_.link.Open(sim_.PortPath()))
            return false;
        device_.level = vyr::UserLevel::Superadministrator();
        return true;
    }

    template <typename Work>
    Figures Measure(Work&& work) {
        const int before = sim_.RequestsReceived();
        const auto start = Clock::now();
        const bool ok = work();
        if (!ok)
            std::fprintf(stderr, "a transfer failed\n");
        return {ok ? std::chrono::duration<double>(Clock::now() - start).count() : -1,
                sim_.RequestsReceived() - before};
    }

    Figures Reads(int count) {
        return Measure([&] {
            for (int i = 0; i < count; ++i) {
                serial_link::LinkHold hold(device_.link);
                if (!serial_link::ReadRemoteFile(hold, "/chroma/fw_version",
                                                 serial_link::Match::Loose))
                    return false;
            }
            return true;
        });
    }
    Figures LoadAll() {
        return Measure([&] {
            const auto load = vyr::LoadFromDevice(device_, model_.store, {}, vyr::NoProgress());
            return load.status == TransferStatus::Done && load.unanswered.empty();
        });
    }
    Figures SendAll() {
        return Measure([&] {
            return vyr::SendAllToDevice(device_, model_.store, 1, vyr::NoProgress()).status ==
                   TransferStatus::Done;
        });
    }

  private:
    vyrsim::Simulator sim_;
    vyr::DeviceConnection device_;
    vyr::SettingsModel model_;
};

void PrintAgainstWire(const char* what, const Figures& f, int baud) {
    const double wire = WireSeconds(f.exchanges, baud);
    std::printf("  %-22s %4d exchanges  %8.3f s  wire %8.3f s  ratio %.4f\n", what, f.exchanges,
                f.seconds, wire, f.seconds / wire);
}

}  // namespace

int main(int argc, char** argv) {
    const int slowExchanges = argc > 1 ? std::atoi(argv[1]) : 8;

    std::printf("one exchange at a UART's pace (888 bytes on the wire each):\n");
    for (const auto& [baud, count] : {std::pair{9600, slowExchanges}, std::pair{921600, 400}}) {
        Bench bench;
        if (!bench.Start({.baud = baud}))
            return 1;
        const Figures reads = bench.Reads(count);
        if (reads.seconds < 0)
            return 1;
        PrintAgainstWire(baud == 9600 ? "read at 9600 baud" : "read at 921600 baud", reads,
                         baud);
    }

    std::printf("full transfers:\n");
    {
        Bench bench;
        if (!bench.Start({}))
            return 1;
        const Figures load = bench.LoadAll(), send = bench.SendAll();
        std::printf("  %-22s %4d exchanges  %8.3f s  (%.1f us per exchange)\n", "load, no latency",
                    load.exchanges, load.seconds, load.seconds * 1e6 / load.exchanges);
        std::printf("  %-22s %4d exchanges  %8.3f s  (%.1f us per exchange)\n", "send, no latency",
                    send.exchanges, send.seconds, send.seconds * 1e6 / send.exchanges);
    }
    {
        Bench bench;
        if (!bench.Start({.baud = 921600}))
            return 1;
        PrintAgainstWire("load at 921600 baud", bench.LoadAll(), 921600);
        PrintAgainstWire("send at 921600 baud", bench.SendAll(), 921600);
    }

    std::printf("a device that drops one reply in 250 (real time-outs):\n");
    Figures clean, dropping;
    {
        Bench bench;
        if (!bench.Start({}))
            return 1;
        clean = bench.LoadAll();
    }
    {
        Bench bench;
        if (!bench.Start({.dropEvery = 250}))
            return 1;
        dropping = bench.LoadAll();
    }
    if (clean.seconds < 0 || dropping.seconds < 0)
        return 1;
    std::printf("  clean load             %4d exchanges  %8.3f s\n", clean.exchanges,
                clean.seconds);
    std::printf("  load dropping 1 in 250 %4d exchanges  %8.3f s  ratio %.1f, %.2f s per drop\n",
                dropping.exchanges, dropping.seconds, dropping.seconds / clean.seconds,
                (dropping.seconds - clean.seconds) / (dropping.exchanges - clean.exchanges));
    return 0;
}
