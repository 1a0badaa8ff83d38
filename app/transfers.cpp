#include "transfers.h"

#include <memory>
#include <optional>

#include <wx/tglbtn.h>

#include "device/transfer.h"
#include "dialogs/protocol_guard_dlg.h"
#include "main_frame.h"
#include "preset_bar.h"
#include "session_controller.h"
#include "ui/message_box.h"
#include "ui/wx_text.h"
#include "unsaved_changes.h"

namespace vyr {
namespace {

constexpr const char* kLoadTitle = "Loading settings from device";
constexpr const char* kSendTitle = "Sending settings to device";

// The message of a send that was cancelled: what reached the device and what that means.
std::string CancelledSendText(const SendResult& result) {
    if (result.confirmed == 0)
        return "Sending was cancelled before any value reached the device. The device still "
               "holds its previous settings.";
    return "Sending was cancelled after " + std::to_string(result.confirmed) + " of " +
           std::to_string(result.total) +
           " values. The device now holds a mix of old and new settings.";
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

TransferController::TransferController(AdminSWFrm& frame) : frame_(frame) {}

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
    Load(frame_.EditedPreset(), "Read single preset from device");
}

void TransferController::Load(std::optional<int> preset, const char* command) {
    if (!MayStart() || !frame_.Unsaved().MayDiscard(command))
        return;
    auto copy = CopyOf(frame_.Store());
    Start(kLoadTitle, [this, copy, preset](DeviceWorker& worker) {
        worker.Run(
            [copy, preset](DeviceConnection& connection, Progress& progress) {
                return LoadFromDevice(connection, copy->store, preset, progress);
            },
            [this, preset](LoadResult result) {
                auto loaded = std::make_shared<LoadResult>(std::move(result));
                Finish([this, loaded, preset] { ApplyLoad(*loaded, preset); });
            },
            [this](const ProgressReport& report) { OnProgress(report); });
    });
}

void TransferController::ApplyLoad(const LoadResult& result, std::optional<int> preset) {
    switch (result.status) {
        case TransferStatus::Done:
            break;
        case TransferStatus::Failed:
            ShowStatusMessage(&frame_, kTransferError);
            return;
        case TransferStatus::Cancelled:
            // The person asked for it; everything is as it was.
            return;
    }
    SettingStore& store = frame_.Store();
    store.AssignValues(result.loaded->store);
    store.Guard() = result.loaded->guard;
    ShowGuard(&frame_, store.Guard());
    frame_.ShowEditedPreset();
    frame_.Presets().SelectActive(result.activePreset);
    if (!preset)
        frame_.EditPreset(result.activePreset);
    else
        frame_.RefreshEnabling();
    // What was loaded is what the device holds.
    frame_.Unsaved().MarkSaved(preset);
}

void TransferController::SendAll() {
    if (!MayStart() ||
        !AskYesNo(&frame_, "Confirm action",
                  "This overwrites all settings on the device.\nAre you sure?"))
        return;
    auto copy = CopyOf(frame_.Store());
    Send(
        [copy, active = frame_.Presets().ActiveSelection()](DeviceConnection& connection,
                                                            Progress& progress) {
            return SendAllToDevice(connection, copy->store, active, progress);
        },
        ValuesOf(copy->store), std::nullopt);
}

void TransferController::SendEditedPreset() {
    if (!MayStart())
        return;
    auto copy = CopyOf(frame_.Store());
    const int preset = frame_.EditedPreset();
    Send(
        [copy, preset, active = frame_.Presets().ActiveSelection()](
            DeviceConnection& connection, Progress& progress) {
            return SendPresetToDevice(connection, copy->store, preset, active, progress);
        },
        ValuesOf(copy->store), preset);
}

void TransferController::Send(std::function<SendResult(DeviceConnection&, Progress&)> work,
                              std::shared_ptr<const Values> sent, std::optional<int> preset) {
    Start(kSendTitle, [this, work = std::move(work), sent, preset](DeviceWorker& worker) {
        worker.Run(
            work,
            [this, sent, preset](SendResult result) {
                Finish([this, result, sent, preset] { ApplySend(result, *sent, preset); });
            },
            [this](const ProgressReport& report) { OnProgress(report); });
    });
}

void TransferController::ApplySend(const SendResult& result, const Values& sent,
                                   std::optional<int> preset) {
    switch (result.status) {
        case TransferStatus::Done:
            frame_.Unsaved().MarkSaved(sent, preset);
            return;
        case TransferStatus::Failed:
            ShowStatusMessage(&frame_, kTransferError);
            return;
        case TransferStatus::Cancelled: {
            const std::string text = CancelledSendText(result);
            ShowStatusMessage(&frame_, {"Send settings to device", text, MessageIcon::Warning});
            return;
        }
    }
}

bool TransferController::MayStart() const {
    // Nothing to talk to, or a transfer already on its way: the command does nothing.
    return !running_ && !shutDown_ && frame_.Connected() &&
           !frame_.Connection().Session().Worker().IsShutDown();
}

void TransferController::Start(const char* title,
                               const std::function<void(DeviceWorker&)>& queue) {
    running_ = true;
    frame_.RefreshEnabling();
    if (wxWindow* button = frame_.Control("ConnectButton"))
        button->Update();  // "Busy" shows before the dialog takes the focus

    // Cancel stops the job after the exchange in flight; its result then closes the dialog.
    progress_ = std::make_unique<JobProgress>(&frame_, title, [this] {
        if (running_)
            frame_.Connection().Session().Worker().Cancel();
    });
    queue(frame_.Connection().Session().Worker());
}

void TransferController::OnProgress(const ProgressReport& report) {
    if (progress_ && running_)
        progress_->Show(report);
}

void TransferController::Finish(std::function<void()> apply) {
    if (shutDown_)
        return;
    if (progress_ && progress_->Updating()) {
        frame_.CallAfter([this, apply = std::move(apply)] { Finish(apply); });
        return;
    }
    CloseProgress();
    running_ = false;
    frame_.RefreshEnabling();
    apply();
}

void TransferController::CloseProgress() {
    progress_.reset();
}

}  // namespace vyr
