// Moving presets between a settings store and the device, one value file per exchange.
//
// The operations never change the caller's store: a load fills a copy, which the caller takes
// when the load is complete, so that a cancelled or failed load leaves everything as it was.
#pragma once

#include <array>
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

// What the device holds in each value file, [preset][parameter], as far as known: nothing
// where it is not known (no file, or a write it may or may not have taken). Texts without
// trailing blanks.
using HeldValues =
    std::array<std::array<std::optional<std::string>, kParameterCount>, kPresetCount>;

// One value file whose content a send changed, or made uncertain.
struct HeldValue {
    int preset = 0;  // the directory written
    int parameter = 0;
    std::optional<std::string> text;  // nothing: the device may or may not hold what was sent
};

// One value of one preset.
struct ValueAt {
    int preset = 0;
    int parameter = 0;
};

// How a value is named in messages: "key, PRESET n" ("key, DEFAULT").
std::string ValueName(const SettingCatalogue& catalogue, ValueAt value);
std::vector<std::string> ValueNames(const SettingCatalogue& catalogue,
                                    const std::vector<ValueAt>& values);

struct LoadResult {
    TransferStatus status = TransferStatus::Failed;
    // With Done: the store after the load, and the report of what it repaired or missed.
    std::unique_ptr<SettingsModel> loaded;
    // Values that got no answer even when asked again; they hold their defaults and are
    // reported as not answered.
    std::vector<ValueAt> unanswered;
    // Values the device answered as not present: that is the device's answer; they hold
    // their defaults and are reported missing.
    std::vector<ValueAt> absent;
    // The device's active preset, read after the load (1 when it cannot be read).
    int activePreset = 1;
    // With Done: the texts of the value files read, as the device holds them (before any
    // repair); nothing for a file the device did not answer with data. Only the presets
    // loaded are filled.
    std::unique_ptr<HeldValues> held;
};

// Loads all ten presets, or only `preset`, into a copy of `current`. Stops as soon as three
// values in a row get no answer or the device hangs up (Failed), or when the caller cancels.
LoadResult LoadFromDevice(DeviceConnection& connection, const SettingStore& current,
                          std::optional<int> preset, Progress& progress);

// A value the device holds differently after a verified send.
struct ReadBackMismatch {
    std::string key;
    int preset = 0;
    std::string sent;
    std::optional<std::string> readBack;  // nothing when the device answered no data
};

struct SendResult {
    TransferStatus status = TransferStatus::Failed;
    int confirmed = 0;  // writes (or permission messages) the device confirmed
    int total = 0;      // exchanges the send would have made
    bool presetSelected = false;  // the device was told to switch to the active preset
    // With a verified send that failed on it: the first value that read back different.
    std::optional<ReadBackMismatch> mismatch;
    // The value files this send changed, in the order of the exchanges (a later entry for the
    // same file counts): what the device confirmed writing, or read back when it read back
    // different; nothing for a write it did not confirm or a value it did not answer on
    // reading back. Permission messages change nothing and are not listed.
    std::vector<HeldValue> changed;
};

// What a send covers.
struct SendScope {
    // One preset, global parameters into all ten presets; all presets when empty.
    std::optional<int> preset{};
    // The values the device is known to hold: only the values that differ from them are sent.
    const SettingStore* base = nullptr;
    // Read every written value back; one that reads back different fails the send.
    bool verify = false;
    // What the device's value files are known to hold: a file known to hold the value
    // already is not sent; one not known is.
    const HeldValues* held = nullptr;
};

// Sends what `scope` covers, in catalogue order within each preset, stopping at the first
// exchange the device does not confirm. Values the user may not write become a permission
// message; the DEFAULT preset is left out for a user who may not write it (a single-preset
// send of it sends nothing). When everything arrived (and read back the same), switches the
// device to `activePreset`; a device that failed is not switched to a half-written preset.
SendResult SendToDevice(DeviceConnection& connection, const SettingStore& store,
                        const SendScope& scope, int activePreset, Progress& progress);

// The value exchanges (the preset switch not counted) SendToDevice would make for `scope`
// at `level`: what a confirmation can tell before anything is sent.
int PlannedSendExchanges(const SettingStore& store, const SendScope& scope,
                         const UserLevel& level);

// All presets: SendToDevice with the default scope.
SendResult SendAllToDevice(DeviceConnection& connection, const SettingStore& store,
                           int activePreset, Progress& progress);

// One preset: SendToDevice with only `preset` in the scope.
SendResult SendPresetToDevice(DeviceConnection& connection, const SettingStore& store,
                              int preset, int activePreset, Progress& progress);

// The device's active preset; 1 when it cannot be read or names no preset.
int ReadActivePreset(DeviceConnection& connection);
// Switches the device to a preset; the answer is not evaluated.
void SelectDevicePreset(DeviceConnection& connection, int preset);

}  // namespace vyr
