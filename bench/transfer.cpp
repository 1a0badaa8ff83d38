// Transfers against the simulator, each figure against a baseline measured in the same run:
//  - one exchange (a value read) with the simulator behaving like a UART at 9600 and at
//    921,600 baud, as a ratio to the time 888 bytes (request and reply) take on the wire;
//  - a full load and a full send with no added latency, and at 921,600 baud against the
//    wire time;
//  - a full load from a device that drops one reply in 250, against a clean load;
//  - sending only what changed (1 and 10 values) to a device paced at 9600 baud, against a
//    full send at the same pace: the full send's time is its exchanges times the measured
//    time of one exchange, unless "full" is given, which really sends all (about 14 minutes).
//
//   build/bench/transfer [exchanges at 9600 baud, default 8] [full]
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
    // Loads what the device holds into the window's store and into `base`, then changes
    // `count` values of per-preset parameters in the window's store only.
    bool PrepareChanges(vyr::SettingsModel& base, int count) {
        auto load = vyr::LoadFromDevice(device_, model_.store, {}, vyr::NoProgress());
        if (load.status != TransferStatus::Done)
            return false;
        model_.store.AssignValues(load.loaded->store);
        base.store.AssignValues(load.loaded->store);
        const auto& catalogue = model_.store.Catalogue();
        for (int parameter = 0; parameter < vyr::kParameterCount && count > 0; ++parameter) {
            const std::string text(model_.store.Text(parameter, 3));
            if (catalogue[parameter].global || text.size() >= 50)
                continue;
            model_.store.StoreSetting(parameter, 3, text + "1");
            --count;
        }
        return count == 0;
    }
    Figures SendChanges(const vyr::SettingsModel& base) {
        return Measure([&] {
            return vyr::SendToDevice(device_, model_.store, {.base = &base.store}, 1,
                                     vyr::NoProgress())
                       .status == TransferStatus::Done;
        });
    }
    void Pace(vyrsim::Faults faults) { sim_.SetFaults(faults); }

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

// Sends of 1 and 10 changed values against a full send, all at 9600 baud.
bool SendChangesAt9600(double secondsPerExchange, bool realFullSend) {
    std::printf("sending only what changed, at 9600 baud:\n");
    Figures full;
    {
        Bench bench;
        if (!bench.Start({}))
            return false;
        full = bench.SendAll();  // counts the exchanges at full speed
        if (realFullSend) {
            bench.Pace({.baud = 9600});
            full = bench.SendAll();
        } else {
            full.seconds = full.exchanges * secondsPerExchange;
        }
    }
    if (full.seconds < 0)
        return false;
    std::printf("  %-22s %4d exchanges  %8.1f s%s\n", "full send", full.exchanges, full.seconds,
                realFullSend ? "" : "  (exchanges x measured time of one)");
    for (const int changed : {1, 10}) {
        Bench bench;
        vyr::SettingsModel base;
        if (!bench.Start({}) || !bench.PrepareChanges(base, changed))
            return false;
        bench.Pace({.baud = 9600});
        const Figures sent = bench.SendChanges(base);
        if (sent.seconds < 0)
            return false;
        char what[32];
        std::snprintf(what, sizeof what, "%d changed value%s", changed, changed == 1 ? "" : "s");
        std::printf("  %-22s %4d exchanges  %8.1f s  time ratio to full send %.4f\n", what,
                    sent.exchanges, sent.seconds, sent.seconds / full.seconds);
    }
    return true;
}

int main(int argc, char** argv) {
    const int slowExchanges = argc > 1 ? std::atoi(argv[1]) : 8;
    const bool realFullSend = argc > 2 && std::string(argv[2]) == "full";
    double secondsPerSlowExchange = 0;

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
        if (baud == 9600)
            secondsPerSlowExchange = reads.seconds / reads.exchanges;
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
    return SendChangesAt9600(secondsPerSlowExchange, realFullSend) ? 0 : 1;
}
