// Moving presets between the store and the device, one value file per exchange.
#pragma once

#include "link/link.h"
#include "operation_ui.h"
#include "store.h"

namespace vyr {

inline constexpr StatusMessage kTransferError{
    "Communication error", "An error occured while transfering settings to the device.",
    MessageIcon::Warning};

class SettingsTransfer {
  public:
    SettingsTransfer(serial_link::Link& link, SettingStore& store, OperationUi& ui);

    // Reads all 86 values of a preset; unanswered values become "-missing-" reports.
    void LoadPreset(int preset);
    // Writes all 86 values of a preset (global ones into all ten presets with
    // `toAllPresets`); false after the first failed exchange, which is reported.
    bool SendPreset(int preset, bool toAllPresets);
    // The device's active preset; 1 when it cannot be read or is not a preset.
    int ReadActivePreset();
    // Switches the device to a preset; the answer is not evaluated.
    void SelectDevicePreset(int preset);

    // The four commands of the window's Device menu.
    void LoadAllFromDevice();
    void LoadEditedPresetFromDevice();
    // False when the user declined or a write failed.
    bool SendAllToDevice();
    // `connected`: whether to switch the device's preset afterwards. False when nothing
    // was sent (DEFAULT for an administrator) or a write failed.
    bool SendEditedPresetToDevice(bool connected);

  private:
    class Busy;

    void Step();
    std::string ValuePath(int parameter, int preset) const;

    serial_link::Link& link_;
    SettingStore& store_;
    OperationUi& ui_;
    int busyDepth_ = 0;
    int done_ = 0;
    int total_ = 0;
};

}  // namespace vyr
