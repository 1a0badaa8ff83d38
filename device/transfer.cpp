#include "device/transfer.h"

#include <array>
#include <string>

#include "settings/difference.h"
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

    TransferStatus LoadPreset(int preset, LoadResult& result) {
        HeldValues& held = *result.held;
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
            } else {
                silentInRow_ = 0;
            }
            held[preset][p].reset();
            if (read.answer == Answer::Data) {
                held[preset][p] = std::string(TrimTrailingBlanks(read.text));
            } else {
                read.text = std::string(store.Catalogue().Default(p));
                if (read.answer == Answer::Silent) {
                    result.unanswered.push_back({preset, p});
                    model_.guard.LogUnanswered(key, preset, read.text);
                } else {
                    result.absent.push_back({preset, p});
                    model_.guard.LogMissing(key, preset, read.text);
                }
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

// One exchange of a send: the value of `parameter` in preset `source`, written into the
// value file of preset `target`.
struct SendStep {
    int parameter = 0;
    int source = 0;
    int target = 0;
};

// The exchanges of a full send (presets first..9, first 0 only for a user who may write the
// DEFAULT preset) or of one preset (global parameters into all ten presets in a row).
std::vector<SendStep> PlanSend(const SettingCatalogue& catalogue, const UserLevel& level,
                               std::optional<int> preset) {
    std::vector<SendStep> steps;
    const auto addPreset = [&](int source, bool toAllPresets) {
        for (int p = 0; p < kParameterCount; ++p) {
            const bool everywhere = catalogue[p].global && toAllPresets;
            const int first = everywhere ? 0 : source;
            const int last = everywhere ? kPresetCount - 1 : source;
            for (int target = first; target <= last; ++target)
                steps.push_back({p, source, target});
        }
    };
    if (preset) {
        if (*preset > 0 || level.MayWriteDefaultPreset())
            addPreset(*preset, true);
    } else {
        for (int source = level.MayWriteDefaultPreset() ? 0 : 1; source < kPresetCount; ++source)
            addPreset(source, false);
    }
    return steps;
}

// Leaves out the exchanges that would write what the device already holds.
void KeepChanges(std::vector<SendStep>& steps, const SettingStore& store,
                 const SettingStore& base) {
    std::array<std::array<bool, kParameterCount>, kPresetCount> differs{};
    for (const ValueDifference& difference : DifferingValues(base, store))
        differs[difference.preset][difference.parameter] = true;
    std::erase_if(steps, [&](const SendStep& step) {
        return !differs[step.target][step.parameter];
    });
}

// The text a step writes, as the device keeps it.
std::string Payload(const SettingStore& store, const SendStep& step) {
    return FilterDeviceText(store.Text(step.parameter, step.source));
}

// Leaves out the exchanges whose value file is known to hold the value already.
void KeepUnheld(std::vector<SendStep>& steps, const SettingStore& store,
                const HeldValues& held) {
    std::erase_if(steps, [&](const SendStep& step) {
        const std::optional<std::string>& text = held[step.target][step.parameter];
        return text && *text == TrimTrailingBlanks(Payload(store, step));
    });
}

class Sender {
  public:
    Sender(DeviceConnection& connection, const SettingStore& store, Progress& progress,
           SendResult& result)
        : connection_(connection), store_(store), progress_(progress), result_(result) {}

    TransferStatus Send(const std::vector<SendStep>& steps) {
        for (const SendStep& step : steps) {
            if (progress_.CancelRequested())
                return TransferStatus::Cancelled;
            progress_.Report(result_.confirmed, result_.total, Key(step), step.target);
            const bool confirmed = Exchange(step);
            if (MayWrite(step)) {
                result_.changed.push_back({step.target, step.parameter, std::nullopt});
                if (confirmed)
                    result_.changed.back().text = std::string(TrimTrailingBlanks(Payload(step)));
            }
            if (!confirmed)
                return TransferStatus::Failed;
            ++result_.confirmed;
        }
        return TransferStatus::Done;
    }

    // Reads back every value `steps` wrote (not the permission messages); the first value the
    // device holds differently, if any.
    std::optional<ReadBackMismatch> Verify(const std::vector<SendStep>& steps) {
        const int total = static_cast<int>(steps.size());
        for (int i = 0; i < total; ++i) {
            const SendStep& step = steps[i];
            if (!MayWrite(step))
                continue;
            progress_.Report(i, total, Key(step), step.target);
            const std::string sent = Payload(step);
            serial_link::RemoteRead read =
                ReadValue(connection_.link, SettingPath(step.target, Key(step)));
            if (read.answer != Answer::Data) {
                result_.changed.push_back({step.target, step.parameter, std::nullopt});
                return ReadBackMismatch{std::string(Key(step)), step.target, sent, std::nullopt};
            }
            if (TrimTrailingBlanks(read.text) != TrimTrailingBlanks(sent)) {
                result_.changed.push_back(
                    {step.target, step.parameter, std::string(TrimTrailingBlanks(read.text))});
                return ReadBackMismatch{std::string(Key(step)), step.target, sent,
                                        std::move(read.text)};
            }
        }
        return std::nullopt;
    }

  private:
    std::string_view Key(const SendStep& step) const {
        return store_.Catalogue()[step.parameter].key;
    }
    bool MayWrite(const SendStep& step) const {
        return connection_.level.MayEdit(store_.Catalogue()[step.parameter]);
    }
    std::string Payload(const SendStep& step) const { return vyr::Payload(store_, step); }

    // A write of the value, or, for a value the user may not write, a device log message
    // about the attempt instead; true when the device confirmed it.
    bool Exchange(const SendStep& step) {
        serial_link::Link& link = connection_.link;
        const std::string path = SettingPath(step.target, Key(step));
        LinkHold hold(link);
        if (MayWrite(step))
            return serial_link::WriteRemoteFile(hold, path, Payload(step));
        serial_link::CommandFrame reply;
        return serial_link::SendDeviceMessage(
                   link, path,
                   "permission denied writing setting " + std::string(Key(step)) + "\n") &&
               serial_link::AwaitDataReply(link, reply, path, serial_link::kAttempts);
    }

    DeviceConnection& connection_;
    const SettingStore& store_;
    Progress& progress_;
    SendResult& result_;
};

}  // namespace

std::string ValueName(const SettingCatalogue& catalogue, ValueAt value) {
    return std::string(catalogue[value.parameter].key) + ", " +
           std::string(PresetName(value.preset));
}

std::vector<std::string> ValueNames(const SettingCatalogue& catalogue,
                                    const std::vector<ValueAt>& values) {
    std::vector<std::string> names;
    names.reserve(values.size());
    for (const ValueAt value : values)
        names.push_back(ValueName(catalogue, value));
    return names;
}

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
    result.held = std::make_unique<HeldValues>();
    result.status = TransferStatus::Done;
    for (int p = first; p <= last && result.status == TransferStatus::Done; ++p)
        result.status = loader.LoadPreset(p, result);
    if (result.status != TransferStatus::Done) {
        result.loaded.reset();
        result.held.reset();
        return result;
    }
    result.activePreset = ReadActivePreset(connection);
    progress.Report(loader.Done(), loader.Done(), {}, 0);
    return result;
}

namespace {

std::vector<SendStep> PlanScope(const SettingStore& store, const SendScope& scope,
                                const UserLevel& level) {
    std::vector<SendStep> steps = PlanSend(store.Catalogue(), level, scope.preset);
    if (scope.base != nullptr)
        KeepChanges(steps, store, *scope.base);
    if (scope.held != nullptr)
        KeepUnheld(steps, store, *scope.held);
    return steps;
}

}  // namespace

int PlannedSendExchanges(const SettingStore& store, const SendScope& scope,
                         const UserLevel& level) {
    return static_cast<int>(PlanScope(store, scope, level).size());
}

SendResult SendToDevice(DeviceConnection& connection, const SettingStore& store,
                        const SendScope& scope, int activePreset, Progress& progress) {
    const std::vector<SendStep> steps = PlanScope(store, scope, connection.level);
    SendResult result;
    result.total = static_cast<int>(steps.size());
    Sender sender(connection, store, progress, result);
    result.status = sender.Send(steps);
    if (result.status == TransferStatus::Done && scope.verify) {
        result.mismatch = sender.Verify(steps);
        if (result.mismatch)
            result.status = TransferStatus::Failed;
    }
    if (result.status == TransferStatus::Done) {
        SelectDevicePreset(connection, activePreset);
        result.presetSelected = true;
    }
    return result;
}

SendResult SendAllToDevice(DeviceConnection& connection, const SettingStore& store,
                           int activePreset, Progress& progress) {
    return SendToDevice(connection, store, {}, activePreset, progress);
}

SendResult SendPresetToDevice(DeviceConnection& connection, const SettingStore& store,
                              int preset, int activePreset, Progress& progress) {
    return SendToDevice(connection, store, {.preset = preset}, activePreset, progress);
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
