#include "transfer.h"

#include <string>

#include "link/protocol.h"
#include "text.h"

namespace vyr {

using serial_link::LinkHold;
using serial_link::Match;

namespace {

std::string CurrentPresetPath() {
    return std::string(serial_link::path::kSettings) + "current_preset";
}

}  // namespace

// Shows the busy indicator for the outermost of nested transfers.
class SettingsTransfer::Busy {
  public:
    Busy(SettingsTransfer& transfer, int exchanges) : t_(transfer) {
        if (t_.busyDepth_++ == 0) {
            t_.done_ = 0;
            t_.total_ = exchanges;
            t_.ui_.BeginBusy();
            t_.ui_.Progress(0, exchanges);
        }
    }
    ~Busy() {
        if (--t_.busyDepth_ == 0)
            t_.ui_.EndBusy();
    }

  private:
    SettingsTransfer& t_;
};

SettingsTransfer::SettingsTransfer(serial_link::Link& link, SettingStore& store, OperationUi& ui)
    : link_(link), store_(store), ui_(ui) {}

void SettingsTransfer::Step() {
    ui_.Progress(++done_, total_);
}

std::string SettingsTransfer::ValuePath(int parameter, int preset) const {
    return std::string(serial_link::path::kSettings) + std::to_string(preset) + "/" +
           std::string(store_.Catalogue()[parameter].key);
}

void SettingsTransfer::LoadPreset(int preset) {
    Busy busy(*this, kParameterCount);
    store_.ResetPresetToDefaults(preset);
    for (int p = 0; p < kParameterCount; ++p) {
        std::optional<std::string> value;
        {
            LinkHold hold(link_);
            value = serial_link::ReadRemoteFile(hold, ValuePath(p, preset), Match::Loose);
        }
        if (!value) {
            value = std::string(store_.Catalogue().Default(p));
            store_.Guard().LogMissing(store_.Catalogue()[p].key, preset, *value);
        }
        store_.SetSetting(p, preset, *value);
        Step();
    }
}

bool SettingsTransfer::SendPreset(int preset, bool toAllPresets) {
    const SettingCatalogue& catalogue = store_.Catalogue();
    int exchanges = 0;
    for (int p = 0; p < kParameterCount; ++p)
        exchanges += catalogue[p].global && toAllPresets ? kPresetCount : 1;
    Busy busy(*this, exchanges);

    for (int p = 0; p < kParameterCount; ++p) {
        const SettingConstraint& entry = catalogue[p];
        const int first = entry.global && toAllPresets ? 0 : preset;
        const int last = entry.global && toAllPresets ? kPresetCount - 1 : preset;
        std::string value(store_.Text(p, preset));
        for (char& c : value) {
            if (!IsPermittedCharacter(static_cast<unsigned char>(c)))
                c = '_';
        }
        for (int target = first; target <= last; ++target) {
            const std::string path = ValuePath(p, target);
            bool answered = false;
            {
                LinkHold hold(link_);
                if (entry.accessLevel < link_.UserLevel()) {
                    // The user may not write it: the device logs the attempt instead.
                    serial_link::CommandFrame reply;
                    answered =
                        serial_link::SendDeviceMessage(
                            link_, path,
                            "permission denied writing setting " + std::string(entry.key) + "\n") &&
                        serial_link::AwaitDataReply(link_, reply, path, serial_link::kAttempts);
                } else {
                    answered = serial_link::WriteRemoteFile(hold, path, value);
                }
            }
            if (!answered) {
                ui_.ShowMessage(kTransferError);
                return false;
            }
            Step();
        }
    }
    return true;
}

int SettingsTransfer::ReadActivePreset() {
    LinkHold hold(link_);
    const long preset =
        serial_link::ReadRemoteNumber(hold, CurrentPresetPath(), 1, true, Match::Strict);
    // A number that names no preset would select nothing in the window.
    return preset >= 0 && preset < kPresetCount ? static_cast<int>(preset) : 1;
}

void SettingsTransfer::SelectDevicePreset(int preset) {
    LinkHold hold(link_);
    serial_link::RunRemoteCommand(
        hold, serial_link::tag::kSetPreset,
        std::string(serial_link::path::kScripts) + "set_preset " + std::to_string(preset), false);
}

void SettingsTransfer::LoadAllFromDevice() {
    {
        Busy busy(*this, kPresetCount * kParameterCount);
        store_.Guard().BeginGuard(kLoadingFromDevice);
        for (int preset = 0; preset < kPresetCount; ++preset)
            LoadPreset(preset);
    }
    ui_.RefreshEnabling();
    if (!store_.Guard().Empty())
        ui_.ShowGuard(store_.Guard());
    ui_.ShowEditedPreset();
    const int active = ReadActivePreset();
    ui_.SetActivePreset(active);
    ui_.SelectEditedPreset(active);
}

void SettingsTransfer::LoadEditedPresetFromDevice() {
    store_.Guard().BeginGuard(kLoadingFromDevice);
    LoadPreset(ui_.EditedPreset());
    if (!store_.Guard().Empty())
        ui_.ShowGuard(store_.Guard());
    ui_.ShowEditedPreset();
    ui_.SetActivePreset(ReadActivePreset());
    ui_.RefreshEnabling();
}

bool SettingsTransfer::SendAllToDevice() {
    if (!ui_.Confirm("Confirm action",
                     "This overwrites all settings on the device.\nAre you sure?"))
        return false;
    // Administrators never write the DEFAULT preset.
    const int first = link_.UserLevel() > 3 ? 1 : 0;
    {
        Busy busy(*this, (kPresetCount - first) * kParameterCount);
        for (int preset = first; preset < kPresetCount; ++preset) {
            if (!SendPreset(preset, false))
                return false;
        }
    }
    SelectDevicePreset(ui_.ActivePreset());
    return true;
}

bool SettingsTransfer::SendEditedPresetToDevice(bool connected) {
    const int edited = ui_.EditedPreset();
    // Administrators never write the DEFAULT preset: then nothing is sent.
    const bool allowed = edited > 0 || link_.UserLevel() <= 3;
    const bool sent = allowed && SendPreset(edited, true);
    // A device that stopped answering is not switched to a half-written preset.
    if (connected && (sent || !allowed))
        SelectDevicePreset(ui_.ActivePreset());
    return sent;
}

}  // namespace vyr
