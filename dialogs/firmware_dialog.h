// The firmware update dialog: warns that an update destroys the device's settings, offers to
// save them to a file first, checks that the device holds the firmware file, asks once more,
// starts the update and ends the connection. Created once by the main window, hidden; shown
// from the menu; closed whenever the connection ends or a user logs in.
#pragma once

#include <string>
#include <vector>

#include "device/firmware.h"
#include "dialogs/device_dialog.h"
#include "dialogs/window_services.h"

class wxButton;
class wxTextCtrl;

namespace vyr {

class FirmwareUpdateDlg : public DeviceDialog {
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

    // DeviceView: a new connection closes the dialog too.
    void ConnectionStarted() override { CloseView(); }

    wxTextCtrl* WarningField() const { return warning_; }
    wxButton* CancelButton() const { return cancel_; }
    wxButton* UpdateButton() const { return update_; }
    wxButton* SaveButton() const { return save_; }
    // A complete backup was written since the dialog was shown.
    bool BackupDone() const { return backupDone_; }

  private:
    void CreateControls();
    void LayOut();
    void OnCancel(wxCommandEvent& event);
    void OnSave(wxCommandEvent& event);
    void OnUpdate(wxCommandEvent& event);

    // While one of the dialog's device jobs, or the backup, is on its way, its buttons wait.
    void ShowBusy(bool busy) override;
    void EnableButtons(bool enable);
    void BackupFinished(const SettingsBackup& backup);
    void CheckFinished(FirmwareFile file);
    void StartFinished(bool started);
    void FocusMainWindow();

    WindowServices& window_;
    wxTextCtrl* warning_ = nullptr;
    wxButton* cancel_ = nullptr;
    wxButton* update_ = nullptr;
    wxButton* save_ = nullptr;
    wxString saveLabel_;
    bool backupDone_ = false;
    // With backupDone_: the values the device said it lacks, saved with their defaults.
    std::vector<std::string> lacking_;
};

}  // namespace vyr
