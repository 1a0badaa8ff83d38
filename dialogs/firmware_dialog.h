// The firmware update dialog: warns that an update destroys the device's settings, offers to
// save them to a file first, checks that the device holds the firmware file, asks once more,
// starts the update and ends the connection. Created once by the main window, hidden; shown
// from the menu; closed whenever the connection ends or a user logs in.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/dialog.h>

#include "device/firmware.h"
#include "dialogs/device_access.h"
#include "dialogs/window_services.h"

class wxButton;
class wxTextCtrl;

namespace vyr {

class FirmwareUpdateDlg : public wxDialog, public DeviceView {
  public:
    enum Ids {
        ID_DIALOG = 1,
        ID_CANCEL_BTN = 1009,
        ID_UPDATE_BTN = 1010,
        ID_SAVE_BTN = 1011,
        ID_WARNING_TEXT = 1014,
    };

    // `parent` is the main window; `device` and `window` outlive the dialog.
    FirmwareUpdateDlg(wxWindow* parent, DeviceAccess& device, WindowServices& window);
    ~FirmwareUpdateDlg() override;

    // Showing from hidden centres the dialog, forgets an earlier backup and gives Cancel the
    // focus.
    bool Show(bool show = true) override;

    // DeviceView
    void ConnectionStarted() override;
    void CloseView() override;

    wxTextCtrl* WarningField() const { return warning_; }
    wxButton* CancelButton() const { return cancel_; }
    wxButton* UpdateButton() const { return update_; }
    wxButton* SaveButton() const { return save_; }
    // A complete backup was written since the dialog was shown.
    bool BackupDone() const { return backupDone_; }
    // One of the dialog's device jobs, or the backup, is on its way.
    bool Working() const { return working_; }

  private:
    void CreateControls();
    void OnCancel(wxCommandEvent& event);
    void OnSave(wxCommandEvent& event);
    void OnUpdate(wxCommandEvent& event);

    // The person logged in now may update the firmware; otherwise the dialog closes.
    bool StillAllowed();
    void EnableButtons(bool enable);
    // Runs `work` on the connection; `done` runs on the GUI thread with its result unless
    // the dialog was closed by the connection or a login meanwhile.
    template <typename Result, typename Work, typename Done>
    bool Run(Work work, Done done);
    // True until the dialog is closed by the connection or a login.
    std::function<bool()> StillOpen() const;

    void BackupFinished(const SettingsBackup& backup);
    void EndBackup();
    // No job of the dialog in flight any more: the buttons may be used again.
    void JobDone();
    void CheckFinished(FirmwareFile file);
    void StartFinished(bool started);
    void FocusMainWindow();

    DeviceAccess& device_;
    WindowServices& window_;
    wxTextCtrl* warning_ = nullptr;
    wxButton* cancel_ = nullptr;
    wxButton* update_ = nullptr;
    wxButton* save_ = nullptr;
    wxString saveLabel_;
    bool backupDone_ = false;
    // With backupDone_: the values the device said it lacks, saved with their defaults.
    std::vector<std::string> lacking_;
    bool working_ = false;
    // Counts connections and closings; a result of a job begun before the latest one is
    // dropped. Held weakly by the jobs, which then do nothing once the dialog is gone.
    std::shared_ptr<unsigned> generation_ = std::make_shared<unsigned>(0);
};

}  // namespace vyr
