// Moving presets between a settings store and the device, one value file per exchange.
//
// The operations never change the caller's store: a load fills a copy, which the caller takes
// when the load is complete, so that a cancelled or failed load leaves everything as it was.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/connection.h"
#include "device/progress.h"
#include "settings/model.h"
#include "settings/status_message.h"

namespace vyr {

inline constexpr StatusMessage kTransferError{
    "Communication error", "An error occured while transfering settings to the device.",
    MessageIcon::Warning};

enum class TransferStatus {
    Done,
    Cancelled,
    Failed,  // the device stopped answering, or did not confirm a write
};

struct LoadResult {
    TransferStatus status = TransferStatus::Failed;
    // With Done: the store after the load, and the report of what it repaired or missed.
    std::unique_ptr<SettingsModel> loaded;
    // Values that got no answer even when asked again ("key, PRESET n"); they hold their
    // defaults and are reported missing. Values the device answered as not present are not
    // listed: that is the device's answer.
    std::vector<std::string> unanswered;
    // The device's active preset, read after the load (1 when it cannot be read).
    int activePreset = 1;
};

// Loads all ten presets, or only `preset`, into a copy of `current`. Stops as soon as three
// values in a row get no answer or the device hangs up (Failed), or when the caller cancels.
LoadResult LoadFromDevice(DeviceConnection& connection, const SettingStore& current,
                          std::optional<int> preset, Progress& progress);

struct SendResult {
    TransferStatus status = TransferStatus::Failed;
    int confirmed = 0;  // writes (or permission messages) the device confirmed
    int total = 0;      // exchanges the send would have made
    bool presetSelected = false;  // the device was told to switch to the active preset
};

// Sends presets first..9 (first is 0 when the user may write the DEFAULT preset, else 1),
// stopping at the first exchange the device does not confirm; when all arrived, switches the
// device to `activePreset`.
SendResult SendAllToDevice(DeviceConnection& connection, const SettingStore& store,
                           int activePreset, Progress& progress);

// Sends one preset, global parameters into all ten presets. A user who may not write the
// DEFAULT preset sends nothing from it. Then switches the device to `activePreset`, unless
// the send failed (a device that stopped answering is not switched to a half-written preset).
SendResult SendPresetToDevice(DeviceConnection& connection, const SettingStore& store,
                              int preset, int activePreset, Progress& progress);

// The device's active preset; 1 when it cannot be read or names no preset.
int ReadActivePreset(DeviceConnection& connection);
// Switches the device to a preset; the answer is not evaluated.
void SelectDevicePreset(DeviceConnection& connection, int preset);

}  // namespace vyr
