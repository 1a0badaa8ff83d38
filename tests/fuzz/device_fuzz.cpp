// Device texts: the device information (identity and measurement files), the hardware class
// and a preset loaded into a store, each fed from a device whose bytes come from the fuzz
// input (see fuzz_port.h). Input: one byte choosing the operation, one the preset, then the
// chunks the device sends.
#include <cstdint>
#include <memory>
#include <string>

#include "device/device_info.h"
#include "device/transfer.h"
#include "fuzz_port.h"

namespace {

struct FuzzDevice {
    vyr::DeviceConnection connection;
    vyr_fuzz::FuzzPort* port = nullptr;

    FuzzDevice(const std::uint8_t* data, std::size_t size) {
        auto owned = std::make_unique<vyr_fuzz::FuzzPort>(data, size);
        port = owned.get();
        connection.link.Attach(std::move(owned));
        connection.link.SetDiagnosticSink([](std::string_view) {});
        connection.level = vyr::UserLevel::Superadministrator();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    FuzzDevice device(data + 2, size - 2);
    switch (data[0] % 3) {
        case 0: {
            vyr::DeviceInformation info;
            info.Tick(device.connection);
            info.Tick(device.connection);
            // Seven lines, whatever the device's texts hold.
            const std::string text = info.ClipboardText();
            VYR_FUZZ_CHECK(std::count(text.begin(), text.end(), '\n') == 6);
            for (int line = 0; line < vyr::DeviceInformation::kLineCount; ++line) {
                const std::string& value = info.Value(static_cast<vyr::DeviceInformation::Line>(line));
                VYR_FUZZ_CHECK(value.size() < 2 * serial_link::kPayloadSize + 8);
                VYR_FUZZ_CHECK(value.find('\0') == std::string::npos);
            }
            break;
        }
        case 1: {
            const vyr::HardwareClass hardware = vyr::ReadHardwareClass(device.connection);
            VYR_FUZZ_CHECK(hardware == vyr::HardwareClass::Recorder ||
                           hardware == vyr::HardwareClass::Standard);
            break;
        }
        case 2: {
            const vyr::SettingsModel start;
            const int preset = data[1] % vyr::kPresetCount;
            const vyr::LoadResult load =
                vyr::LoadFromDevice(device.connection, start.store, preset, vyr::NoProgress());
            if (load.status != vyr::TransferStatus::Done) {
                VYR_FUZZ_CHECK(load.loaded == nullptr);
                break;
            }
            // Three silent values in a row end the load; fewer may be named.
            VYR_FUZZ_CHECK(load.unanswered.size() <= vyr::kParameterCount);
            VYR_FUZZ_CHECK(load.activePreset >= 0 && load.activePreset < vyr::kPresetCount);
            // Whatever the device sent, the store holds only valid values: checking them
            // again repairs nothing.
            vyr::SettingsModel check;
            check.store.AssignValues(load.loaded->store);
            check.guard.BeginGuard(vyr::kLoadingFromDevice);
            for (int p = 0; p < vyr::kParameterCount; ++p) {
                std::string value(check.store.Text(p, preset));
                VYR_FUZZ_CHECK(value.size() <= vyr::kMaxValueLength);
                check.store.SetSetting(p, -1, value);
            }
            VYR_FUZZ_CHECK(check.guard.Empty());
            break;
        }
    }
    return 0;
}
