// Times writing a full store (860 values) to a settings file and reading and validating it
// back. Prints the median and spread of many runs.
//
//   build/bench/settings_file [runs] [folder]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/settings_file.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    double median, p10, p90;
};

Figures Summarise(std::vector<double> micros) {
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) {
        return micros[static_cast<std::size_t>(q * double(micros.size() - 1))];
    };
    return {at(0.5), at(0.1), at(0.9)};
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    const std::filesystem::path folder =
        argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path();
    const std::string path = (folder / "bench_settings_file.Vyr").string();

    vyr::SettingCatalogue catalogue;
    vyr::GuardLog guard;
    vyr::SettingStore store(catalogue, guard);
    // Non-default values in every preset so the file is not trivially uniform.
    for (int preset = 0; preset < vyr::kPresetCount; ++preset) {
        std::string name = "Preset_\xE4\xF6\xFC_" + std::to_string(preset);
        store.SetSetting(2, preset, name);
    }

    std::vector<double> format, save, load;
    for (int i = 0; i < runs; ++i) {
        auto t0 = Clock::now();
        const std::string content = vyr::FormatSettingsFile(store);
        auto t1 = Clock::now();
        if (vyr::SaveSettingsStore(store, path) != vyr::SettingsFileStatus::Ok) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        auto t2 = Clock::now();
        if (vyr::LoadSettingsStore(store, path) != vyr::SettingsFileStatus::Ok || !guard.Empty()) {
            std::fprintf(stderr, "reading back %s failed or reported repairs\n", path.c_str());
            return 1;
        }
        auto t3 = Clock::now();
        const auto us = [](auto a, auto b) {
            return std::chrono::duration<double, std::micro>(b - a).count();
        };
        format.push_back(us(t0, t1));
        save.push_back(us(t1, t2));
        load.push_back(us(t2, t3));
        if (content.empty())
            return 1;
    }
    std::filesystem::remove(path);

    std::printf("settings file benchmark: %d runs, file %s (%zu bytes)\n", runs, path.c_str(),
                vyr::FormatSettingsFile(store).size());
    const auto print = [](const char* what, const Figures& f) {
        std::printf("  %-42s median %9.1f us   p10 %9.1f us   p90 %9.1f us\n", what, f.median,
                    f.p10, f.p90);
    };
    print("format 860 values (in memory)", Summarise(format));
    print("write file (format, write, fsync, rename)", Summarise(save));
    print("read, check and validate file", Summarise(load));
    return 0;
}
