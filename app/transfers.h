// The settings-transfer commands of the main window: load all presets or the edited one from
// the device, send all presets, the edited one, or only the values the device does not hold
// yet (as its mirror tells) to it. Sends read every value back when verifying is on.
//
// Each command runs as one job on the connection's worker. The job works on copies taken
// before it is queued and never touches the window; its result is applied on the GUI thread.
// While it runs a progress dialog shows how far it is and offers Cancel, and the window shows
// itself busy (the connect button reads "Busy", the device commands are disabled).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <memory>

#include "device/transfer.h"
#include "device/user_level.h"
#include "device/worker.h"
#include "dialogs/window_services.h"
#include "ui/job_progress.h"

namespace vyr {

class DeviceMirror;
class PresetBar;
class SessionController;
class SettingStore;
class UnsavedChanges;

// What the end of a transfer changes in the window, and what a transfer asks of it.
class TransferView {
  public:
    virtual ~TransferView() = default;
    // Shows every value of the edited preset.
    virtual void ShowEditedPreset() = 0;
    // Makes `preset` the edited one and shows its values.
    virtual void EditPreset(int preset) = 0;
    // Recomputes which menus and controls may be used; `busyShown`: the window shows at once
    // that a transfer began, before its progress dialog takes the focus.
    virtual void RefreshEnabling(bool busyShown = false) = 0;
    // "Save settings to computer", the file asked for over `over`; true when saved.
    virtual bool SaveSettingsFile(wxWindow* over) = 0;
    virtual bool Connected() const = 0;
    virtual UserLevel CurrentUserLevel() const = 0;
};

// The parts of the window a transfer reads and changes.
struct TransferParts {
    wxWindow& window;  // its dialogs go over it; results come back through its event queue
    TransferView& view;
    SettingStore& store;
    DeviceMirror& mirror;
    UnsavedChanges& unsaved;
    PresetBar& presets;
    SessionController& session;  // tells a failed exchange with the keep-alive held
    DeviceWorker& worker;        // the connection's
};

class TransferController {
  public:
    explicit TransferController(const TransferParts& parts);
    // Closes the progress dialog; the worker is the session's and ends with it.
    ~TransferController();
    TransferController(const TransferController&) = delete;
    TransferController& operator=(const TransferController&) = delete;

    // "Load settings from device"
    void LoadAll();
    // "Read single preset from device"
    void LoadEditedPreset();
    // "Send settings to device", after the person confirmed.
    void SendAll();
    // "Send single preset to device"
    void SendEditedPreset();
    // "Send changes to device": the values that differ from the device's mirror, after the
    // person confirmed.
    void SendChanges();

    // The backup before a firmware update: see WindowServices::BackUpSettings.
    void BackUp(wxWindow* over, std::function<void()> saving,
                std::function<void(const SettingsBackup&)> done);

    // "Verify sent values": every send reads what it wrote back.
    void SetVerify(bool on) { verify_ = on; }
    bool Verify() const { return verify_; }

    // A transfer job is queued or running.
    bool Running() const { return running_; }
    // The progress dialog of the running transfer, or nullptr.
    wxProgressDialog* ProgressDialog() const { return progress_ ? progress_->Dialog() : nullptr; }

    // Window closing: the dialog goes; no result of the running job is applied any more.
    void Shutdown();

  private:
    // All ten presets, or only `preset`; `command` captions the unsaved-changes question.
    // `after`, when given, runs once the result has been applied; false when the load did
    // not start (not connected, busy, or the person kept the unsaved changes).
    using AfterLoad = std::function<void(const LoadResult&)>;
    bool Load(std::optional<int> preset, const char* command, AfterLoad after = {},
              wxWindow* over = nullptr);
    // Its report and messages go over `parent`.
    void ApplyLoad(const LoadResult& result, std::optional<int> preset, int generation,
                   wxWindow* parent);
    // All presets, or only `preset`; with `changesOnly` the values the mirror says the device
    // lacks.
    void Send(std::optional<int> preset, bool changesOnly);
    // `sent` holds the window's values the job sent (all presets, or only `preset`): once
    // they all arrived, they count as saved. `generation` is the mirror's when the job began.
    using Values = std::vector<std::string>;
    void ApplySend(const SendResult& result, const Values& sent, std::optional<int> preset,
                   int generation);
    // Connected, and no transfer on its way.
    bool MayStart() const;
    // Marks the window busy, opens the progress dialog, then lets `queue` give the job to
    // the worker.
    // With `over`, the progress dialog stays above that window (which may stay on top).
    void Start(const char* title, const std::function<void(DeviceWorker&)>& queue,
               wxWindow* over = nullptr);
    void OnProgress(const ProgressReport& report);
    // Runs `apply` once the job's result is in: the dialog closed, the window no longer busy.
    void Finish(std::function<void()> apply);
    void CloseProgress();

    TransferParts parts_;
    bool running_ = false;
    bool shutDown_ = false;
    bool verify_ = false;
    std::unique_ptr<JobProgress> progress_;
};

}  // namespace vyr
