#include "sim/factory_state.h"

#include <array>
#include <cstdio>
#include <string>

#include "settings/catalogue.h"
#include "sim/accounts.h"
#include "sim/simulator.h"

namespace vyrsim {

namespace {

constexpr int kActivePreset = 1;

struct FixedFile {
    const char* path;
    const char* content;
};

constexpr FixedFile kFixedFiles[] = {
    {"/chroma/serialnumber", "VYR-2417-0093\n"},
    {"/chroma/hw_version", "C2\n"},
    {"/chroma/fw_version", "4.2.1\n"},
    {"/chroma/firmware_version", "2.3\n"},
    {"/chroma/mics/current_mic", "b\n"},
    {"/chroma/settings/current_preset", "1"},
    {"/tmp/hw_type", "0"},
    {"/tmp/accu_cal", "1000\n"},
    {"/tmp/batt_cal", "1024\n"},
    {"/tmp/caps_cal", "512\n"},
    {"/mnt/vyr/firmware.cup", "VYR firmware image 2.4\n"},
    {"/chroma/scripts/sync_with_rtc", "#!/bin/sh\nhwclock --systohc\n"},
    {"/chroma/scripts/set_preset",
     "#!/bin/sh\ncp /chroma/settings/$1/* /chroma/settings/current/\n"},
    {"/chroma/scripts/update_firmware",
     "#!/bin/sh\nexec /sbin/cup-install /mnt/vyr/firmware.cup\n"},
    {"/var/log/messages", "vyr: system started\n"},
    {"/chroma/service_notes",
     "2023/11/02-14:31| Checked after transport, all functions OK\n"
     "2024/02/19-09:12| Battery contacts cleaned\n"
     "2024/06/05-16:47| Firmware updated to 2.3\n"},
    {"/chroma/test_results",
     "Production test 2023/10/17 10:42, station 3, operator 12\n"
     "Capsule input level ............ PASS (-0.4 dB)\n"
     "Preamplifier noise ............. PASS (-127.5 dBu)\n"
     "Headphone output ............... PASS\n"
     "Accumulator charge ............. PASS (4.12 V)\n"
     "Real-time clock ................ PASS (+1.2 ppm)\n"
     "Memory card interface .......... PASS\n"
     "Result: PASS\n"},
};

// Measurement files: a base value plus a triangle wave that moves by one every `stepSeconds`
// between 0 and `swing`, so that reads a few seconds apart see different values.
struct LiveFile {
    const char* path;
    long base;
    long swing;
    int stepSeconds;
};

constexpr LiveFile kLiveFiles[] = {
    {"/tmp/accu_voltage", 2590, 24, 1},                                   // about 0x0a2f
    {"/tmp/batt_voltage", 69980, 40, 1},                                  // about 0x11170
    {"/tmp/caps_voltage", 3290, 16, 2},  {"/tmp/power_accu", 82, 5, 20},  // percent
    {"/tmp/power_batt", 95, 5, 30},                                       // percent
};

long Triangle(long step, long swing) {
    const long phase = step % (2 * swing);
    return phase <= swing ? phase : 2 * swing - phase;
}

// Calibration of each microphone type: sensitivity, then three filters with frequency, gain,
// Q and on/off.
struct MicCalibration {
    char type;
    int sensitivity;
    std::array<int, 3> frequency;
    std::array<const char*, 3> gain;
    std::array<const char*, 3> q;
    std::array<int, 3> enabled;
};

constexpr MicCalibration kMics[] = {
    {'a', -38, {250, 1000, 6000}, {"0.0", "0.0", "0.0"}, {"0.7", "0.7", "0.7"}, {0, 0, 0}},
    {'b', -36, {120, 2500, 9000}, {"-2.0", "1.0", "2.5"}, {"0.7", "1.0", "1.4"}, {1, 1, 1}},
    {'c', -42, {80, 800, 12000}, {"-3.5", "0.5", "1.5"}, {"0.5", "0.9", "0.7"}, {1, 0, 1}},
    {'d', -30, {200, 3000, 10000}, {"-1.0", "-1.5", "2.0"}, {"0.7", "2.0", "0.8"}, {0, 1, 1}},
    {'e', -45, {60, 1500, 7000}, {"-6.0", "1.0", "0.0"}, {"0.3", "1.2", "0.7"}, {1, 1, 0}},
    {'f', -33, {300, 1200, 5000}, {"1.0", "-0.5", "3.0"}, {"0.8", "0.7", "1.1"}, {1, 0, 1}},
    {'g', -40, {100, 900, 11000}, {"-2.5", "0.0", "1.0"}, {"0.6", "0.7", "0.9"}, {1, 0, 1}},
    {'h', -28, {180, 2200, 8000}, {"0.5", "2.0", "-1.0"}, {"1.0", "1.6", "0.7"}, {0, 1, 1}},
    {'i', -50, {40, 600, 14000}, {"-4.0", "1.5", "4.0"}, {"0.4", "0.8", "1.0"}, {1, 1, 1}},
    {'j', -35, {250, 4000, 6000}, {"0.0", "-3.0", "1.5"}, {"0.7", "2.5", "0.7"}, {0, 1, 1}},
    {'k', -39, {150, 1000, 9500}, {"-1.5", "0.0", "2.0"}, {"0.7", "0.7", "1.3"}, {1, 0, 1}},
    {'l', -31, {220, 2800, 12500}, {"1.5", "-1.0", "-2.0"}, {"0.9", "1.1", "0.6"}, {1, 1, 1}},
    {'m', -44, {90, 700, 10500}, {"-3.0", "0.5", "3.5"}, {"0.5", "0.7", "1.2"}, {1, 0, 1}},
    {'n', -37, {350, 1800, 7500}, {"0.0", "1.0", "-1.5"}, {"0.7", "1.0", "0.8"}, {0, 1, 1}},
    {'o', -26, {250, 3500, 15000}, {"2.0", "-2.0", "-3.0"}, {"1.2", "2.2", "0.5"}, {1, 1, 1}},
    {'p', -48, {50, 500, 13000}, {"-5.0", "2.0", "5.0"}, {"0.3", "0.6", "1.5"}, {1, 1, 1}},
    {'q', -34, {400, 2000, 8500}, {"0.5", "0.0", "1.0"}, {"0.7", "0.7", "0.7"}, {1, 0, 0}},
    {'r', -41, {110, 1100, 6500}, {"-2.0", "-0.5", "2.5"}, {"0.6", "0.9", "1.0"}, {1, 1, 1}},
    {'s', -29, {280, 2600, 11500}, {"1.0", "1.5", "-0.5"}, {"0.8", "1.3", "0.7"}, {0, 0, 1}},
};

std::string Line(long value) {
    return std::to_string(value) + "\n";
}

void LoadSettings(FileTree& files) {
    const vyr::SettingCatalogue catalogue;
    for (int preset = 0; preset < vyr::kPresetCount; ++preset) {
        for (int i = 0; i < vyr::kParameterCount; ++i) {
            const std::string key(catalogue[i].key);
            const std::string value(catalogue.Default(i));
            files.Write("/chroma/settings/" + std::to_string(preset) + "/" + key, value);
            if (preset == kActivePreset)
                files.Write("/chroma/settings/current/" + key, value);
        }
    }
}

void LoadMics(FileTree& files) {
    for (const MicCalibration& mic : kMics) {
        const std::string dir = std::string("/chroma/mics/") + mic.type + "/";
        files.Write(dir + "mic_sensitivity", Line(mic.sensitivity));
        for (std::size_t f = 0; f < 3; ++f) {
            const std::string filter = dir + "mic_filter" + std::to_string(f + 1);
            files.Write(filter + "_freq", Line(mic.frequency[f]));
            files.Write(filter + "_gain", std::string(mic.gain[f]) + "\n");
            files.Write(filter + "_q", std::string(mic.q[f]) + "\n");
            files.Write(filter + "_enable", Line(mic.enabled[f]));
        }
    }
}

}  // namespace

const std::vector<Account>& FactoryAccounts() {
    static const std::vector<Account> accounts = {
        {"service", "vyr-service", 0},       {"distributor", "vyr-distributor", 1},
        {"controller", "vyr-controller", 2}, {"superadmin", "vyr-superadmin", 3},
        {"admin", "vyr-admin", 4},
    };
    return accounts;
}

void LoadFactoryState(FileTree& files) {
    LoadSettings(files);
    for (const Account& account : FactoryAccounts())
        files.Write(UserPath(account.name), FormatUser({account.password, account.level}));
    for (const FixedFile& file : kFixedFiles)
        files.Write(file.path, file.content);
    LoadLiveFiles(files);
    LoadMics(files);
}

void LoadLiveFiles(FileTree& files) {
    for (const LiveFile& live : kLiveFiles) {
        files.SetLive(live.path, [live](double seconds) {
            const long step = static_cast<long>(seconds) / live.stepSeconds;
            return Line(live.base + Triangle(step, live.swing));
        });
    }
}

}  // namespace vyrsim
