// "Save settings to computer" and "Load settings from computer".
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>

#include "dialogs/protocol_guard_dlg.h"
#include "main_frame.h"
#include "settings/settings_file.h"
#include "ui/message_box.h"

namespace vyr {
namespace {

constexpr const char* kWildcard = "*.Vyr";

// The path in the file system's own encoding.
std::string FileSystemPath(const wxString& path) {
    const wxCharBuffer buffer = path.fn_str();
    return buffer.data() ? std::string(buffer.data()) : std::string();
}

// The file the person chose. GTK reports it once the dialog has been shown; a path given to the
// dialog by the program itself is only known to the dialog object.
std::string ChosenPath(const wxFileDialog& dialog) {
    wxString path = dialog.GetPath();
    if (path.empty())
        path = dialog.wxFileDialogBase::GetPath();
    return FileSystemPath(path);
}

}  // namespace

void AdminSWFrm::SaveSettingsFile() {
    wxFileDialog dialog(this, "Choose a name for settings file", "", "", kWildcard,
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT, wxDefaultPosition, wxDefaultSize,
                        "filedlg");
    if (dialog.ShowModal() != wxID_OK)
        return;
    const std::string chosen = ChosenPath(dialog);
    if (chosen.empty())
        return;
    const std::string path = WithSettingsExtension(chosen);
    // The dialog asked about the name as typed; a different file behind the added extension
    // is not replaced without asking either.
    const wxFileName target(wxString(path.c_str(), *wxConvFileName));
    if (path != chosen && target.Exists() &&
        !AskYesNo(this, "Save settings to computer",
                  "The file " + target.GetFullName().utf8_string() +
                      " already exists. Do you want to replace it?"))
        return;
    if (const auto message = MessageFor(SaveSettingsStore(Store(), path)))
        ShowStatusMessage(this, *message);
}

void AdminSWFrm::LoadSettingsFile() {
    wxFileDialog dialog(this, "Choose a settings file to load", "", "", kWildcard,
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST, wxDefaultPosition, wxDefaultSize,
                        "filedlg");
    const std::string path = dialog.ShowModal() == wxID_OK ? ChosenPath(dialog) : std::string();
    if (path.empty())
        return;
    const SettingsFileStatus status = LoadSettingsStore(Store(), path);
    if (const auto message = MessageFor(status)) {
        ShowStatusMessage(this, *message);
        return;
    }
    if (!services_.guard.Empty())
        ShowGuard(this, services_.guard);
    ShowEditedPreset();
    RefreshEnabling();
}

}  // namespace vyr
