#include "firmware_dialog.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

#include "ui/dialog_size.h"
#include "ui/accessible.h"
#include "ui/fonts.h"
#include "ui/gtk_style.h"
#include "ui/message_box.h"

namespace vyr {
namespace {

constexpr char kTitle[] = "Firmware Update";
const wxSize kDialogSize(520, 280);
const wxSize kWarningSize(465, 165);
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

enum class Kind { Warning, Button };

struct Descriptor {
    Kind kind;
    int id;
    const char* name;
    const char* text;
};

// In tab order: the warning, then the buttons from left to right.
constexpr Descriptor kControls[] = {
    {Kind::Warning, FirmwareUpdateDlg::ID_WARNING_TEXT, "FWWarningText", kWarning},
    {Kind::Button, FirmwareUpdateDlg::ID_SAVE_BTN, "FWSaveButton", "Save settings from device"},
    {Kind::Button, FirmwareUpdateDlg::ID_UPDATE_BTN, "FWUpdateBtn", "Update"},
    {Kind::Button, FirmwareUpdateDlg::ID_CANCEL_BTN, "FWCancelBtn", "Cancel"},
};

}  // namespace

FirmwareUpdateDlg::FirmwareUpdateDlg(wxWindow* parent, DeviceAccess& device,
                                     WindowServices& window)
    : wxDialog(parent, ID_DIALOG, kTitle, wxDefaultPosition, kDialogSize,
               wxCAPTION | wxSTAY_ON_TOP | wxDIALOG_NO_PARENT),
      device_(device),
      window_(window) {
    UseCompactStyle(this);
    SetFont(fonts::Ui());
    CreateControls();
    Bind(wxEVT_BUTTON, &FirmwareUpdateDlg::OnCancel, this, ID_CANCEL_BTN);
    Bind(wxEVT_BUTTON, &FirmwareUpdateDlg::OnSave, this, ID_SAVE_BTN);
    Bind(wxEVT_BUTTON, &FirmwareUpdateDlg::OnUpdate, this, ID_UPDATE_BTN);
    SetEscapeId(ID_CANCEL_BTN);
}

FirmwareUpdateDlg::~FirmwareUpdateDlg() = default;

void FirmwareUpdateDlg::CreateControls() {
    auto* panel = new wxPanel(this, wxID_ANY, wxPoint(0, 0), kDialogSize);
    for (const Descriptor& control : kControls) {
        switch (control.kind) {
            case Kind::Warning:
                warning_ = new wxTextCtrl(panel, control.id, control.text, wxPoint(kMargin, kTop),
                                          kWarningSize, wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP,
                                          wxDefaultValidator, control.name);
                warning_->SetFont(fonts::LargeUi());
                SetAccessibleName(warning_, "Warning");
                break;
            case Kind::Button: {
                auto* button = new wxButton(panel, control.id, control.text, wxDefaultPosition,
                                            wxDefaultSize, 0, wxDefaultValidator, control.name);
                (control.id == ID_SAVE_BTN ? save_
                 : control.id == ID_UPDATE_BTN ? update_
                                               : cancel_) = button;
                break;
            }
        }
    }
    saveLabel_ = save_->GetLabel();

    // The Save button is as wide as the longest of the labels it shows in turn; Update and
    // Cancel sit at the right edge of the warning.
    int saveWidth = 0;
    for (const char* label : {kGettingLabel, kSavingLabel, "Save settings from device"}) {
        save_->SetLabel(label);
        saveWidth = std::max(saveWidth, save_->GetBestSize().x);
    }
    const int height = std::max({save_->GetBestSize().y, update_->GetBestSize().y,
                                 cancel_->GetBestSize().y});
    const int updateWidth = std::max(update_->GetBestSize().x, kMinButtonWidth);
    const int cancelWidth = std::max(cancel_->GetBestSize().x, kMinButtonWidth);
    const int right = std::max(kMargin + kWarningSize.x,
                               kMargin + saveWidth + 2 * kButtonGap + updateWidth + cancelWidth);
    const int buttonTop = kTop + kWarningSize.y + 2 * kButtonGap;
    save_->SetSize(kMargin, buttonTop, saveWidth, height);
    cancel_->SetSize(right - cancelWidth, buttonTop, cancelWidth, height);
    update_->SetSize(right - cancelWidth - kButtonGap - updateWidth, buttonTop, updateWidth, height);
    warning_->SetSize(right - kMargin, kWarningSize.y);

    const wxSize needed(std::max(kDialogSize.x, right + kMargin + 15),
                        std::max(kDialogSize.y, buttonTop + height + kMargin));
    // Fixed size; where the window manager's frame leaves less room than the controls need,
    // the dialog grows instead of cutting them off.
    FixDialogSize(*this, *panel, needed);
}

bool FirmwareUpdateDlg::Show(bool show) {
    const bool opening = show && !IsShown();
    if (opening) {
        CentreOnScreen(wxBOTH);
        backupDone_ = false;
        lacking_.clear();
        EnableButtons(!working_);
    }
    const bool changed = wxDialog::Show(show);
    if (opening)
        cancel_->SetFocus();
    return changed;
}

void FirmwareUpdateDlg::ConnectionStarted() {
    CloseView();
}

void FirmwareUpdateDlg::CloseView() {
    ++*generation_;
    EndBackup();
    Hide();
}

std::function<bool()> FirmwareUpdateDlg::StillOpen() const {
    const std::weak_ptr<unsigned> current = generation_;
    const unsigned generation = *generation_;
    return [current, generation] {
        const auto latest = current.lock();
        return latest && *latest == generation;
    };
}

template <typename Result, typename Work, typename Done>
bool FirmwareUpdateDlg::Run(Work work, Done done) {
    working_ = true;
    const bool queued = device_.RunJob(
        [work, done, alive = StillOpen()](DeviceConnection& connection,
                                          Progress& progress) -> DeviceAccess::GuiStep {
            auto result = std::make_shared<Result>(work(connection, progress));
            return [done, alive, result] {
                if (alive())
                    done(*result);
            };
        });
    if (!queued)
        working_ = false;
    return queued;
}

bool FirmwareUpdateDlg::StillAllowed() {
    if (device_.CurrentLevel().MayAdministrate())
        return true;
    Hide();
    return false;
}

void FirmwareUpdateDlg::EnableButtons(bool enable) {
    for (wxButton* button : {save_, update_, cancel_})
        button->Enable(enable);
}

void FirmwareUpdateDlg::OnCancel(wxCommandEvent&) {
    Hide();
}

void FirmwareUpdateDlg::OnSave(wxCommandEvent&) {
    if (working_ || !StillAllowed())
        return;
    EnableButtons(false);
    save_->SetLabel(kGettingLabel);
    working_ = true;
    // The window loads and saves; a result after the dialog was closed is dropped.
    const auto alive = StillOpen();
    window_.BackUpSettings(
        this,
        [this, alive] {
            if (alive())
                save_->SetLabel(kSavingLabel);
        },
        [this, alive](const SettingsBackup& backup) {
            if (alive())
                BackupFinished(backup);
        });
}

void FirmwareUpdateDlg::BackupFinished(const SettingsBackup& backup) {
    EndBackup();
    backupDone_ = backup.saved;
    lacking_ = backup.absent;
}

void FirmwareUpdateDlg::EndBackup() {
    save_->SetLabel(saveLabel_);
    JobDone();
}

void FirmwareUpdateDlg::JobDone() {
    working_ = false;
    EnableButtons(true);
}

void FirmwareUpdateDlg::OnUpdate(wxCommandEvent&) {
    if (working_ || !StillAllowed())
        return;
    // The update destroys every setting on the device: without a backup, ask first.
    if (!backupDone_ && !AskYesNo(this, kTitle, kNoBackupText))
        return;
    // A backup with defaults for values the device lacks may be an empty device's.
    if (backupDone_ && !lacking_.empty() && !AskYesNo(this, kTitle, LackingQuestion(lacking_)))
        return;
    Hide();
    Run<FirmwareFile>([](DeviceConnection& connection,
                         Progress&) { return CheckFirmwareFile(connection); },
                      [this](FirmwareFile file) { CheckFinished(file); });
}

void FirmwareUpdateDlg::CheckFinished(FirmwareFile file) {
    JobDone();
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
    if (!confirmed || !StillAllowed())
        return;
    Run<bool>([](DeviceConnection& connection,
                 Progress&) { return StartFirmwareUpdate(connection); },
              [this](bool started) { StartFinished(started); });
}

void FirmwareUpdateDlg::StartFinished(bool started) {
    JobDone();
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
