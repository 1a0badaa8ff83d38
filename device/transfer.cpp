#include "device/transfer.h"

#include <string>

#include "settings/text.h"

namespace vyr {

using serial_link::Answer;
using serial_link::LinkHold;
using serial_link::Match;

namespace {

// Three values in a row without any answer: the device is gone.
constexpr int kSilentValuesToGiveUp = 3;

std::string CurrentPresetPath() {
    return std::string(serial_link::path::kSettings) + "current_preset";
}

std::string PresetName(int preset) {
    return preset == 0 ? "DEFAULT" : "PRESET " + std::to_string(preset);
}

// One value read, asked again once when no answer came at all.
serial_link::RemoteRead ReadValue(serial_link::Link& link, const std::string& path) {
    serial_link::RemoteRead read;
    for (int attempt = 0; attempt < 2 && read.answer == Answer::Silent && !link.Vanished();
         ++attempt) {
        LinkHold hold(link);
        read = serial_link::FetchRemoteFile(hold, path, Match::Loose);
    }
    return read;
}

class Loader {
  public:
    Loader(DeviceConnection& connection, SettingsModel& model, Progress& progress, int total)
        : link_(connection.link), model_(model), progress_(progress), total_(total) {}

    TransferStatus LoadPreset(int preset, std::vector<std::string>& unanswered) {
        SettingStore& store = model_.store;
        store.ResetPresetToDefaults(preset);
        for (int p = 0; p < kParameterCount; ++p) {
            const std::string_view key = store.Catalogue()[p].key;
            if (progress_.CancelRequested())
                return TransferStatus::Cancelled;
            progress_.Report(done_, total_, key, preset);
            serial_link::RemoteRead read = ReadValue(link_, SettingPath(preset, key));
            if (link_.Vanished())
                return TransferStatus::Failed;
            if (read.answer == Answer::Silent) {
                if (++silentInRow_ == kSilentValuesToGiveUp)
                    return TransferStatus::Failed;
                unanswered.push_back(std::string(key) + ", " + PresetName(preset));
            } else {
                silentInRow_ = 0;
            }
            if (read.answer != Answer::Data) {
                read.text = std::string(store.Catalogue().Default(p));
                model_.guard.LogMissing(key, preset, read.text);
            }
            store.SetSetting(p, preset, read.text);
            ++done_;
        }
        return TransferStatus::Done;
    }

    int Done() const { return done_; }

  private:
    serial_link::Link& link_;
    SettingsModel& model_;
    Progress& progress_;
    int total_;
    int done_ = 0;
    int silentInRow_ = 0;
};

class Sender {
  public:
    Sender(DeviceConnection& connection, const SettingStore& store, Progress& progress,
           SendResult& result)
        : connection_(connection), store_(store), progress_(progress), result_(result) {}

    static int Exchanges(const SettingCatalogue& catalogue, bool toAllPresets) {
        int exchanges = 0;
        for (int p = 0; p < kParameterCount; ++p)
            exchanges += catalogue[p].global && toAllPresets ? kPresetCount : 1;
        return exchanges;
    }

    // Writes the 86 values of `preset` (global ones into all ten presets with
    // `toAllPresets`); values the user may not write become a permission message instead.
    TransferStatus SendPreset(int preset, bool toAllPresets) {
        const SettingCatalogue& catalogue = store_.Catalogue();
        serial_link::Link& link = connection_.link;
        for (int p = 0; p < kParameterCount; ++p) {
            const SettingConstraint& entry = catalogue[p];
            const bool everywhere = entry.global && toAllPresets;
            const int first = everywhere ? 0 : preset;
            const int last = everywhere ? kPresetCount - 1 : preset;
            const std::string value = FilterDeviceText(store_.Text(p, preset));
            for (int target = first; target <= last; ++target) {
                if (progress_.CancelRequested())
                    return TransferStatus::Cancelled;
                progress_.Report(result_.confirmed, result_.total, entry.key, target);
                const std::string path = SettingPath(target, entry.key);
                bool answered = false;
                {
                    LinkHold hold(link);
                    if (!connection_.level.MayEdit(entry)) {
                        // The user may not write it: the device logs the attempt instead.
                        serial_link::CommandFrame reply;
                        answered = serial_link::SendDeviceMessage(
                                       link, path,
                                       "permission denied writing setting " +
                                           std::string(entry.key) + "\n") &&
                                   serial_link::AwaitDataReply(link, reply, path,
                                                               serial_link::kAttempts);
                    } else {
                        answered = serial_link::WriteRemoteFile(hold, path, value);
                    }
                }
                if (!answered)
                    return TransferStatus::Failed;
                ++result_.confirmed;
            }
        }
        return TransferStatus::Done;
    }

  private:
    DeviceConnection& connection_;
    const SettingStore& store_;
    Progress& progress_;
    SendResult& result_;
};

}  // namespace

LoadResult LoadFromDevice(DeviceConnection& connection, const SettingStore& current,
                          std::optional<int> preset, Progress& progress) {
    LoadResult result;
    result.loaded = std::make_unique<SettingsModel>();
    SettingsModel& model = *result.loaded;
    model.store.AssignValues(current);
    model.guard.BeginGuard(kLoadingFromDevice);

    const int first = preset.value_or(0);
    const int last = preset.value_or(kPresetCount - 1);
    Loader loader(connection, model, progress, (last - first + 1) * kParameterCount);
    result.status = TransferStatus::Done;
    for (int p = first; p <= last && result.status == TransferStatus::Done; ++p)
        result.status = loader.LoadPreset(p, result.unanswered);
    if (result.status != TransferStatus::Done) {
        result.loaded.reset();
        return result;
    }
    result.activePreset = ReadActivePreset(connection);
    progress.Report(loader.Done(), loader.Done(), {}, 0);
    return result;
}

SendResult SendAllToDevice(DeviceConnection& connection, const SettingStore& store,
                           int activePreset, Progress& progress) {
    SendResult result;
    const int first = connection.level.MayWriteDefaultPreset() ? 0 : 1;
    result.total = (kPresetCount - first) * Sender::Exchanges(store.Catalogue(), false);
    Sender sender(connection, store, progress, result);
    result.status = TransferStatus::Done;
    for (int preset = first; preset < kPresetCount && result.status == TransferStatus::Done;
         ++preset) {
        result.status = sender.SendPreset(preset, false);
    }
    if (result.status == TransferStatus::Done) {
        SelectDevicePreset(connection, activePreset);
        result.presetSelected = true;
    }
    return result;
}

SendResult SendPresetToDevice(DeviceConnection& connection, const SettingStore& store,
                              int preset, int activePreset, Progress& progress) {
    SendResult result;
    result.status = TransferStatus::Done;
    // Only a user who may write the DEFAULT preset sends it; for anyone else it is a no-op.
    if (preset > 0 || connection.level.MayWriteDefaultPreset()) {
        result.total = Sender::Exchanges(store.Catalogue(), true);
        Sender sender(connection, store, progress, result);
        result.status = sender.SendPreset(preset, true);
    }
    if (result.status == TransferStatus::Done) {
        SelectDevicePreset(connection, activePreset);
        result.presetSelected = true;
    }
    return result;
}

int ReadActivePreset(DeviceConnection& connection) {
    LinkHold hold(connection.link);
    const long preset = ReadRemoteNumber(hold, CurrentPresetPath(), 1, true, Match::Strict);
    // A number that names no preset would select nothing in the window.
    return preset >= 0 && preset < kPresetCount ? static_cast<int>(preset) : 1;
}

void SelectDevicePreset(DeviceConnection& connection, int preset) {
    LinkHold hold(connection.link);
    serial_link::RunRemoteCommand(
        hold, serial_link::tag::kSetPreset,
        std::string(serial_link::path::kScripts) + "set_preset " + std::to_string(preset), false);
}

}  // namespace vyr
