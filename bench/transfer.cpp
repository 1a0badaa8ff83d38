// A full load (all ten presets) and a full send against the simulator: with no added
// latency, and with the simulator behaving like a UART at 921,600 baud, where the time is
// compared with the time the same exchanges need on the wire (2 x 444 bytes x 10 bits each).
//
//   build/bench/transfer
#include <chrono>
#include <cstdio>
#include <string>

#include "settings/transfer.h"
#include "sim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;

class QuietUi final : public vyr::OperationUi {
  public:
    void ShowMessage(const vyr::StatusMessage& message) override {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(message.text.size()), message.text.data());
        failed = true;
    }
    bool Confirm(std::string_view, std::string_view) override { return true; }
    int ActivePreset() const override { return 1; }
    void SetActivePreset(int) override {}
    int EditedPreset() const override { return 1; }
    void SelectEditedPreset(int) override {}
    bool failed = false;
};

struct Figures {
    double seconds;
    int exchanges;
};

template <typename Work>
Figures Measure(vyrsim::Simulator& sim, Work&& work) {
    const int before = sim.RequestsReceived();
    const auto start = Clock::now();
    work();
    return {std::chrono::duration<double>(Clock::now() - start).count(),
            sim.RequestsReceived() - before};
}

bool Run(int baud) {
    vyrsim::Simulator sim;
    std::string error;
    if (!sim.Start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return false;
    }
    sim.SetFaults({.baud = baud});
    serial_link::Link link;
    link.SetDiagnosticSink(
        [](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); });
    if (!link.Open(sim.PortPath()))
        return false;
    link.SetUserLevel(3);

    vyr::SettingCatalogue catalogue;
    vyr::GuardLog guard;
    vyr::SettingStore store(catalogue, guard);
    QuietUi ui;
    vyr::SettingsTransfer transfer(link, store, ui);

    const Figures load = Measure(sim, [&] { transfer.LoadAllFromDevice(); });
    const Figures send = Measure(sim, [&] { transfer.SendAllToDevice(); });
    if (ui.failed || !guard.Empty())
        return false;
    for (const auto& [what, f] : {std::pair{"load all", load}, std::pair{"send all", send}}) {
        if (baud == 0) {
            std::printf("  %-9s %4d exchanges  %7.3f s  (%.1f us per exchange)\n", what,
                        f.exchanges, f.seconds, f.seconds * 1e6 / f.exchanges);
        } else {
            const double wire = f.exchanges * 2.0 * 444 * 10 / baud;
            std::printf("  %-9s %4d exchanges  %7.3f s  wire time %7.3f s  ratio %.4f\n", what,
                        f.exchanges, f.seconds, wire, f.seconds / wire);
        }
    }
    return true;
}

}  // namespace

int main() {
    std::printf("transfer benchmark, no added latency:\n");
    if (!Run(0))
        return 1;
    std::printf("transfer benchmark, simulator at 921600 baud:\n");
    if (!Run(921600))
        return 1;
    return 0;
}
