#include "transfers.h"

#include <memory>
#include <optional>
#include <string>

#include <wx/tglbtn.h>
#include <wx/window.h>

#include "device/device_mirror.h"
#include "device/transfer.h"
#include "dialogs/protocol_guard_dlg.h"
#include "layout_tables.h"
#include "preset_bar.h"
#include "session_controller.h"
#include "settings/text.h"
#include "ui/message_box.h"
#include "ui/wx_text.h"
#include "unsaved_changes.h"

namespace vyr {
namespace {

constexpr const char* kLoadTitle = "Loading settings from device";
constexpr const char* kSendTitle = "Sending settings to device";
constexpr const char* kConfirmTitle = "Confirm action";
constexpr const char* kConfirmText = "This overwrites all settings on the device.\nAre you sure?";

// Send changes tells how much it sends: the full send's warning would overstate it.
std::string SendChangesQuestion(int values) {
    if (values == 0)
        return "The device already holds these settings; only the active preset is set.\n"
               "Are you sure?";
    const std::string count =
        values == 1 ? "1 value that differs" : std::to_string(values) + " values that differ";
    return "This sends " + count + " from what the device holds.\nAre you sure?";
}

// The message of a send that was cancelled: what reached the device and what that means.
std::string CancelledSendText(const SendResult& result) {
    if (result.confirmed == 0)
        return "Sending was cancelled before any value reached the device. The device still "
               "holds its previous settings.";
    return "Sending was cancelled after " + std::to_string(result.confirmed) + " of " +
           std::to_string(result.total) +
           " values. The device now holds a mix of old and new settings.";
}

// The caption the window shows for a parameter: its label, or a check box's own text; the
// key when it has neither.
std::string ParameterCaption(std::string_view key) {
    for (const layout::Table& table : layout::Tables()) {
        for (const layout::Control& control : table.controls) {
            if (control.parameter != key)
                continue;
            if (const layout::Control* caption = layout::CaptionOf(control.key))
                return std::string(caption->text);
            if (!control.text.empty())
                return std::string(control.text);
        }
    }
    return std::string(key);
}

// A value that read back different from what was sent, named as the window shows it.
std::string MismatchText(const ReadBackMismatch& mismatch) {
    std::string text = std::string(kTransferError.text) + "\n\n" +
                       std::string(PresetName(mismatch.preset)) + ", \"" +
                       ParameterCaption(mismatch.key) + "\": sent \"" + mismatch.sent + "\", ";
    if (!mismatch.readBack)
        return text + "no answer when read back.";
    // A line end after a value is no part of it, as on loading.
    return text + "read back \"" + std::string(TrimTrailingBlanks(*mismatch.readBack)) + "\".";
}

// Told after a load in which values got no answer: the window is not the device's copy.
std::string UnansweredText(std::size_t values) {
    const std::string count = values == 1 ? "1 value" : std::to_string(values) + " values";
    return count + " got no answer from the device. The window shows the factory default " +
           (values == 1 ? "instead, so its settings differ" : "for each, so its settings differ") +
           " from the device's; the report lists them as \"no answer\".";
}

// A copy of the window's store for a job: the job never reaches the window's own.
std::shared_ptr<SettingsModel> CopyOf(const SettingStore& store) {
    auto copy = std::make_shared<SettingsModel>();
    copy->store.AssignValues(store);
    return copy;
}

// The values a send job takes along, to count as saved once they all arrived.
std::shared_ptr<const UnsavedChanges::Snapshot> ValuesOf(const SettingStore& store) {
    return std::make_shared<const UnsavedChanges::Snapshot>(UnsavedChanges::Take(store));
}

}  // namespace

TransferController::TransferController(const TransferParts& parts) : parts_(parts) {}

TransferController::~TransferController() {
    Shutdown();
}

void TransferController::Shutdown() {
    shutDown_ = true;
    running_ = false;
    CloseProgress();
}

void TransferController::LoadAll() {
    Load(std::nullopt, "Load settings from device");
}

void TransferController::LoadEditedPreset() {
    Load(parts_.presets.Edited(), "Read single preset from device");
}

void TransferController::BackUp(wxWindow* over, std::function<void()> saving,
                                std::function<void(const SettingsBackup&)> done) {
    const auto after = [this, over, saving, done](const LoadResult& result) {
        SettingsBackup backup;
        // A backup with defaults standing in for unanswered values is no backup.
        if (result.status == TransferStatus::Done && result.unanswered.empty()) {
            saving();
            backup.saved = parts_.view.SaveSettingsFile(over);
            if (backup.saved)
                backup.absent = ValueNames(parts_.store.Catalogue(), result.absent);
        }
        done(backup);
    };
    if (!Load(std::nullopt, "Save settings from device", after, over))
        done({});
}

bool TransferController::Load(std::optional<int> preset, const char* command, AfterLoad after,
                              wxWindow* over) {
    // Questions and reports go over the window asking for the load, which may stay on top.
    wxWindow* parent = over != nullptr ? over : &parts_.window;
    if (!MayStart() || !parts_.unsaved.MayDiscard(command, parent))
        return false;
    auto copy = CopyOf(parts_.store);
    const int generation = parts_.mirror.Generation();
    Start(
        kLoadTitle,
        [this, copy, preset, generation, after, parent](DeviceWorker& worker) {
            worker.Run(
                [copy, preset](DeviceConnection& connection, Progress& progress) {
                    return LoadFromDevice(connection, copy->store, preset, progress);
                },
                [this, preset, generation, after, parent](LoadResult result) {
                    auto loaded = std::make_shared<LoadResult>(std::move(result));
                    Finish([this, loaded, preset, generation, after, parent] {
                        ApplyLoad(*loaded, preset, generation, parent);
                        if (after)
                            after(*loaded);
                    });
                },
                [this](const ProgressReport& report) { OnProgress(report); });
        },
        over);
    return true;
}

void TransferController::ApplyLoad(const LoadResult& result, std::optional<int> preset,
                                   int generation, wxWindow* parent) {
    switch (result.status) {
        case TransferStatus::Done:
            break;
        case TransferStatus::Failed:
            parts_.session.ShowFailure(kTransferError, parent);
            return;
        case TransferStatus::Cancelled:
            // The person asked for it; everything is as it was.
            return;
    }
    if (generation == parts_.mirror.Generation())
        parts_.mirror.TakeLoad(*result.held, preset);
    SettingStore& store = parts_.store;
    store.AssignValues(result.loaded->store);
    store.Guard() = result.loaded->guard;
    ShowGuard(parent, store.Guard());
    parts_.view.ShowEditedPreset();
    parts_.presets.SelectActive(result.activePreset);
    if (!preset)
        parts_.view.EditPreset(result.activePreset);
    else
        parts_.view.RefreshEnabling();
    // What was loaded is what the device holds, except the defaults standing in for values
    // that got no answer.
    parts_.unsaved.MarkSaved(preset);
    if (!result.unanswered.empty()) {
        parts_.unsaved.MarkUnknown(result.unanswered);
        const std::string text = UnansweredText(result.unanswered.size());
        ShowStatusMessage(parent, {"Load settings from device", text, MessageIcon::Warning});
    }
}

void TransferController::SendAll() {
    if (!MayStart() || !AskYesNo(&parts_.window, kConfirmTitle, kConfirmText))
        return;
    Send(std::nullopt, false);
}

void TransferController::SendEditedPreset() {
    if (!MayStart())
        return;
    Send(parts_.presets.Edited(), false);
}

void TransferController::SendChanges() {
    if (!MayStart() || !parts_.mirror.Known())
        return;
    const SendScope scope{.held = parts_.mirror.Held()};
    const int count = PlannedSendExchanges(parts_.store, scope, parts_.view.CurrentUserLevel());
    if (!AskYesNo(&parts_.window, kConfirmTitle, SendChangesQuestion(count)))
        return;
    Send(std::nullopt, true);
}

void TransferController::Send(std::optional<int> preset, bool changesOnly) {
    auto copy = CopyOf(parts_.store);
    auto sent = ValuesOf(copy->store);
    // The job compares with its own copy of the mirror; the result updates the window's.
    std::shared_ptr<const HeldValues> held;
    if (changesOnly)
        held = std::make_shared<const HeldValues>(*parts_.mirror.Held());
    const SendScope scope{.preset = preset, .verify = verify_, .held = held.get()};
    const int active = parts_.presets.ActiveSelection();
    const int generation = parts_.mirror.Generation();
    Start(kSendTitle, [=, this](DeviceWorker& worker) {
        worker.Run(
            [copy, held, scope, active](DeviceConnection& connection, Progress& progress) {
                return SendToDevice(connection, copy->store, scope, active, progress);
            },
            [this, sent, preset, generation](SendResult result) {
                Finish([this, result = std::move(result), sent, preset, generation] {
                    ApplySend(result, *sent, preset, generation);
                });
            },
            [this](const ProgressReport& report) { OnProgress(report); });
    });
}

void TransferController::ApplySend(const SendResult& result, const Values& sent,
                                   std::optional<int> preset, int generation) {
    // The mirror follows what reached the device, whether or not all of it did.
    if (generation == parts_.mirror.Generation()) {
        parts_.mirror.TakeSend(result, !preset);
        parts_.view.RefreshEnabling();
    }
    switch (result.status) {
        case TransferStatus::Done:
            parts_.unsaved.MarkSaved(sent, preset);
            return;
        case TransferStatus::Failed:
            if (result.mismatch) {
                const std::string text = MismatchText(*result.mismatch);
                parts_.session.ShowFailure({kTransferError.title, text, kTransferError.icon});
            } else {
                parts_.session.ShowFailure(kTransferError);
            }
            return;
        case TransferStatus::Cancelled: {
            const std::string text = CancelledSendText(result);
            ShowStatusMessage(&parts_.window,
                              {"Send settings to device", text, MessageIcon::Warning});
            return;
        }
    }
}

bool TransferController::MayStart() const {
    // Nothing to talk to, or a transfer already on its way: the command does nothing.
    return !running_ && !shutDown_ && parts_.view.Connected() && !parts_.worker.IsShutDown();
}

void TransferController::Start(const char* title, const std::function<void(DeviceWorker&)>& queue,
                               wxWindow* over) {
    running_ = true;
    parts_.view.RefreshEnabling(true);

    // Cancel stops the job after the exchange in flight; its result then closes the dialog.
    progress_ = std::make_unique<JobProgress>(
        &parts_.window, title,
        [this] {
            if (running_)
                parts_.worker.Cancel();
        },
        over != nullptr && over->HasFlag(wxSTAY_ON_TOP));
    queue(parts_.worker);
}

void TransferController::OnProgress(const ProgressReport& report) {
    if (progress_ && running_)
        progress_->Show(report);
}

void TransferController::Finish(std::function<void()> apply) {
    if (shutDown_)
        return;
    if (progress_ && progress_->Updating()) {
        parts_.window.CallAfter([this, apply = std::move(apply)] { Finish(apply); });
        return;
    }
    CloseProgress();
    running_ = false;
    parts_.view.RefreshEnabling();
    apply();
}

void TransferController::CloseProgress() {
    progress_.reset();
}

}  // namespace vyr
