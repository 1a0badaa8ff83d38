// A fleet's load: every preset from 1, 4 and 8 simulators at once, each paced like a UART at
// 921,600 baud, one thread per device through the operations `vyrctl load` runs (connect,
// log in, back up into a settings file). Prints each wall time and its ratio to one device;
// the devices never wait for one another, so 8 should take no more than 1.10 x one.
//
//   build/bench/fleet [largest fleet, default 8]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "device/connection.h"
#include "device/settings_backup.h"
#include "sim/simulator.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kBaud = 921600;

// Connects, logs in and backs up all presets; true when the file was written whole.
bool LoadOne(const std::string& port, const std::string& path) {
    vyr::DeviceConnection connection;
    connection.link.SetDiagnosticSink([](std::string_view) {});
    if (vyr::Connect(connection, port).status != vyr::ConnectStatus::Connected)
        return false;
    if (vyr::Login(connection, L"superadmin", L"vyr-superadmin").status !=
        vyr::LoginStatus::Accepted)
        return false;
    const vyr::BackupResult backup = vyr::BackupSettings(connection, path, vyr::NoProgress());
    vyr::Disconnect(connection);
    return backup.status == vyr::BackupStatus::Saved;
}

// Seconds until the last of `count` devices has its file; negative when one failed.
double LoadFleet(int count, const std::filesystem::path& folder) {
    std::vector<std::unique_ptr<vyrsim::Simulator>> sims;
    for (int i = 0; i < count; ++i) {
        auto sim = std::make_unique<vyrsim::Simulator>();
        std::string error;
        if (!sim->Start(&error)) {
            std::fprintf(stderr, "simulator: %s\n", error.c_str());
            return -1;
        }
        sim->SetFaults({.baud = kBaud});
        sims.push_back(std::move(sim));
    }
    std::vector<char> done(static_cast<std::size_t>(count), 0);
    const auto start = Clock::now();
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < count; ++i) {
            threads.emplace_back([&, i] {
                const auto file = folder / ("fleet-" + std::to_string(i) + ".Vyr");
                const auto index = static_cast<std::size_t>(i);
                done[index] = LoadOne(sims[index]->PortPath(), file);
            });
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (std::count(done.begin(), done.end(), 0) > 0) {
        std::fprintf(stderr, "a load of %d devices failed\n", count);
        return -1;
    }
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const int largest = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    const auto folder =
        std::filesystem::temp_directory_path() /
        ("vyr_bench_fleet_" + std::to_string(Clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(folder);
    std::printf("full load of all presets at %d baud, one thread per device:\n", kBaud);
    std::vector<int> counts{1, 4, largest};
    std::erase_if(counts, [&](int count) { return count > largest; });
    counts.erase(std::unique(counts.begin(), counts.end()), counts.end());
    double one = 0;
    int status = 0;
    for (const int count : counts) {
        const double seconds = LoadFleet(count, folder);
        if (seconds < 0) {
            status = 1;
            break;
        }
        if (count == 1)
            one = seconds;
        std::printf("  %2d device%s %8.3f s  ratio to one %.3f\n", count, count == 1 ? " " : "s",
                    seconds, seconds / one);
    }
    std::filesystem::remove_all(folder);
    return status;
}
