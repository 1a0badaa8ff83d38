#include "firmware_dialog.h"

#include <algorithm>
#include <utility>

#include <wx/button.h>
#include <wx/textctrl.h>

#include "ui/message_box.h"

namespace vyr {
namespace {

constexpr char kTitle[] = "Firmware Update";
const wxSize kDialogSize(520, 280);
constexpr int kWarningWidth = 465;
constexpr int kWarningHeight = 165;
constexpr int kMargin = 20;
constexpr int kTop = 15;
constexpr int kButtonGap = 10;
constexpr int kMinButtonWidth = 90;

constexpr char kWarning[] =
    "Warning!\n"
    "You are about to replace the existing firmware on the Vyr device.\n\n"
    "This will destroy all settings on the device. Therefore it is strongly recommended to "
    "save your settings "
    "before proceeding with the update.\n\n"
    "Also make sure you placed a copy of the file \"firmware.cup\" in the \"Vyr\" directory "
    "of the device in mass storage mode.";

constexpr char kSaveLabel[] = "Save settings from device";
constexpr char kGettingLabel[] = "Getting settings from device";
constexpr char kSavingLabel[] = "Saving settings to PC";

constexpr StatusMessage kNoFirmwareFile{
    "No firmware file found.",
    "No firmware file ( \"firmware.cup\" ) was found.\nMake sure you placed a copy of that file "
    "in the \"Vyr\" directory \nof the device in mass storage mode before you start the update "
    "process.",
    MessageIcon::Warning};
constexpr StatusMessage kCheckNotAnswered{
    "Communication error",
    "The device did not answer the check for the firmware file.\nNothing was started.",
    MessageIcon::Warning};
constexpr StatusMessage kStartFailed{
    "Communication error",
    "The firmware update could not be started: the request did not reach the device.\nThe "
    "device keeps its firmware and its settings.",
    MessageIcon::Warning};
constexpr char kConfirmTitle[] = "Confirm firmware update";
constexpr char kConfirmText[] =
    "The firmware update will now be performed.\nTherefore the administration software will "
    "disconnect.\nThe device will be automatically shut down after updating.\nDO NOT TURN THE "
    "DEVICE OFF DURING THE UPDATE PROCESS!\nDO NOT UNPLUG THE USB CABLE UNTIL THE DEVICE IS SHUT "
    "DOWN!\n\nAre you sure to continue?";
constexpr char kNoBackupText[] =
    "The settings have not been saved from the device since this dialog was opened.\nThe "
    "update destroys all settings on the device.\n\nUpdate without a backup?";
constexpr char kLackingText[] =
    "The device lacks %s, so the backup holds factory defaults for them:\n%s\nThe update "
    "destroys all settings on the device.\n\nUpdate anyway?";
// Updating the firmware is an administration right.
constexpr DeviceDialog::LevelRule kRule = &UserLevel::MayAdministrate;
// Names of values listed in a message; the rest are counted.
constexpr std::size_t kListedValues = 8;

// Up to kListedValues names, one a line, and how many more there are.
std::string ListedValues(const std::vector<std::string>& names) {
    std::string text;
    const std::size_t listed = std::min(names.size(), kListedValues);
    for (std::size_t i = 0; i < listed; ++i)
        text += names[i] + "\n";
    if (listed < names.size())
        text += "and " + std::to_string(names.size() - listed) + " more\n";
    return text;
}

std::string LackingQuestion(const std::vector<std::string>& absent) {
    const std::string count =
        absent.size() == 1 ? "1 value" : std::to_string(absent.size()) + " values";
    return wxString::Format(kLackingText, count, ListedValues(absent)).utf8_string();
}

using ctl::Kind;

// In tab order: the warning, then the buttons from left to right, which LayOut places.
// clang-format off
constexpr ctl::Row kControls[] = {
    {.kind = Kind::TextField, .id = FirmwareUpdateDlg::ID_WARNING_TEXT, .name = "FWWarningText",
     .x = kMargin, .y = kTop, .width = kWarningWidth, .height = kWarningHeight, .text = kWarning,
     .flags = ctl::kMultiline | ctl::kReadOnly | ctl::kWordWrap, .accessibleName = "Warning",
     .font = ctl::Font::Large},
    {.kind = Kind::Button, .id = FirmwareUpdateDlg::ID_SAVE_BTN, .name = "FWSaveButton",
     .text = kSaveLabel},
    {.kind = Kind::Button, .id = FirmwareUpdateDlg::ID_UPDATE_BTN, .name = "FWUpdateBtn",
     .text = "Update"},
    {.kind = Kind::Button, .id = FirmwareUpdateDlg::ID_CANCEL_BTN, .name = "FWCancelBtn",
     .text = "Cancel"},
};
// clang-format on

}  // namespace

FirmwareUpdateDlg::FirmwareUpdateDlg(wxWindow* parent, DeviceAccess& device, WindowServices& window)
    : DeviceDialog(parent, device, kTitle, kDialogSize, Placement::OnScreen), window_(window) {
    CreateControls();
    Bind(wxEVT_BUTTON, &FirmwareUpdateDlg::OnCancel, this, ID_CANCEL_BTN);
    Bind(wxEVT_BUTTON, &FirmwareUpdateDlg::OnSave, this, ID_SAVE_BTN);
    Bind(wxEVT_BUTTON, &FirmwareUpdateDlg::OnUpdate, this, ID_UPDATE_BTN);
    SetEscapeId(ID_CANCEL_BTN);
}

FirmwareUpdateDlg::~FirmwareUpdateDlg() = default;

void FirmwareUpdateDlg::CreateControls() {
    Build(kControls);
    warning_ = static_cast<wxTextCtrl*>(FindWindow(ID_WARNING_TEXT));
    save_ = static_cast<wxButton*>(FindWindow(ID_SAVE_BTN));
    update_ = static_cast<wxButton*>(FindWindow(ID_UPDATE_BTN));
    cancel_ = static_cast<wxButton*>(FindWindow(ID_CANCEL_BTN));
    saveLabel_ = save_->GetLabel();
    LayOut();
}

// The Save button is as wide as the longest of the labels it shows in turn; Update and
// Cancel sit at the right edge of the warning.
void FirmwareUpdateDlg::LayOut() {
    int saveWidth = 0;
    for (const char* label : {kGettingLabel, kSavingLabel, kSaveLabel}) {
        save_->SetLabel(label);
        saveWidth = std::max(saveWidth, save_->GetBestSize().x);
    }
    const int height =
        std::max({save_->GetBestSize().y, update_->GetBestSize().y, cancel_->GetBestSize().y});
    const int updateWidth = std::max(update_->GetBestSize().x, kMinButtonWidth);
    const int cancelWidth = std::max(cancel_->GetBestSize().x, kMinButtonWidth);
    const int right = std::max(kMargin + kWarningWidth,
                               kMargin + saveWidth + 2 * kButtonGap + updateWidth + cancelWidth);
    const int buttonTop = kTop + kWarningHeight + 2 * kButtonGap;
    save_->SetSize(kMargin, buttonTop, saveWidth, height);
    cancel_->SetSize(right - cancelWidth, buttonTop, cancelWidth, height);
    update_->SetSize(right - cancelWidth - kButtonGap - updateWidth, buttonTop, updateWidth,
                     height);
    warning_->SetSize(right - kMargin, kWarningHeight);

    const wxSize needed(std::max(kDialogSize.x, right + kMargin + 15),
                        std::max(kDialogSize.y, buttonTop + height + kMargin));
    FixSize(needed);
}

bool FirmwareUpdateDlg::Show(bool show) {
    const bool opening = show && !IsShown();
    if (opening) {
        backupDone_ = false;
        lacking_.clear();
        EnableButtons(!Busy());
    }
    const bool changed = DeviceDialog::Show(show);
    if (opening)
        cancel_->SetFocus();
    return changed;
}

void FirmwareUpdateDlg::EnableButtons(bool enable) {
    for (wxButton* button : {save_, update_, cancel_})
        button->Enable(enable);
}

void FirmwareUpdateDlg::OnCancel(wxCommandEvent&) {
    Hide();
}

void FirmwareUpdateDlg::ShowBusy(bool busy) {
    EnableButtons(!busy);
    if (!busy)
        save_->SetLabel(saveLabel_);
}

void FirmwareUpdateDlg::OnSave(wxCommandEvent&) {
    if (Busy() || !Permitted(kRule))
        return;
    // The window loads and saves; a result after the dialog was closed is dropped.
    auto done = Results().Await<SettingsBackup>(
        [this](const SettingsBackup& backup) { BackupFinished(backup); });
    save_->SetLabel(kGettingLabel);
    window_.BackUpSettings(
        this,
        [this, wanted = Results().StillWanted()] {
            if (wanted())
                save_->SetLabel(kSavingLabel);
        },
        std::move(done));
}

void FirmwareUpdateDlg::BackupFinished(const SettingsBackup& backup) {
    backupDone_ = backup.saved;
    lacking_ = backup.absent;
}

void FirmwareUpdateDlg::OnUpdate(wxCommandEvent&) {
    if (Busy() || !Permitted(kRule))
        return;
    // The update destroys every setting on the device: without a backup, ask first.
    if (!backupDone_ && !AskYesNo(this, kTitle, kNoBackupText))
        return;
    // A backup with defaults for values the device lacks may be an empty device's.
    if (backupDone_ && !lacking_.empty() && !AskYesNo(this, kTitle, LackingQuestion(lacking_)))
        return;
    Hide();
    Exchange(CheckFirmwareFile, [this](FirmwareFile file) { CheckFinished(file); });
}

void FirmwareUpdateDlg::CheckFinished(FirmwareFile file) {
    switch (file) {
        case FirmwareFile::NoAnswer:
            ShowStatusMessage(this, kCheckNotAnswered);
            FocusMainWindow();
            return;
        case FirmwareFile::Absent:
            ShowStatusMessage(this, kNoFirmwareFile);
            FocusMainWindow();
            return;
        case FirmwareFile::Present:
            break;
    }
    const bool confirmed = AskYesNo(this, kConfirmTitle, kConfirmText);
    FocusMainWindow();
    if (!confirmed || !Permitted(kRule))
        return;
    Exchange(StartFirmwareUpdate, [this](bool started) { StartFinished(started); });
}

void FirmwareUpdateDlg::StartFinished(bool started) {
    if (!started) {
        // Nothing reached the device: the connection stays, so that the person can try again.
        ShowStatusMessage(this, kStartFailed);
        return;
    }
    // The device runs the update by itself and shuts down when it is done.
    window_.Disconnect();
}

void FirmwareUpdateDlg::FocusMainWindow() {
    if (wxWindow* main = GetParent())
        main->Raise();
}

}  // namespace vyr
