#include "ui/settings_file_chooser.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

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

// The file the person chose. GTK reports it once the dialog has been shown; a path given to
// the dialog by the program itself is only known to the dialog object.
std::string ChosenPath(const wxFileDialog& dialog) {
    wxString path = dialog.GetPath();
    if (path.empty())
        path = dialog.wxFileDialogBase::GetPath();
    return FileSystemPath(path);
}

}  // namespace

std::string ChooseSettingsFileToSave(wxWindow* parent) {
    wxFileDialog dialog(parent, "Choose a name for settings file", "", "", kWildcard,
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT, wxDefaultPosition, wxDefaultSize,
                        "filedlg");
    if (dialog.ShowModal() != wxID_OK)
        return {};
    const std::string chosen = ChosenPath(dialog);
    if (chosen.empty())
        return {};
    const std::string path = WithSettingsExtension(chosen);
    // The dialog asked about the name as typed; a different file behind the added extension
    // is not replaced without asking either.
    const wxFileName target(wxString(path.c_str(), *wxConvFileName));
    if (path != chosen && target.Exists() &&
        !AskYesNo(parent, "Save settings to computer",
                  "The file " + target.GetFullName().utf8_string() +
                      " already exists. Do you want to replace it?"))
        return {};
    return path;
}

std::string ChooseSettingsFileToLoad(wxWindow* parent) {
    wxFileDialog dialog(parent, "Choose a settings file to load", "", "", kWildcard,
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST, wxDefaultPosition, wxDefaultSize,
                        "filedlg");
    return dialog.ShowModal() == wxID_OK ? ChosenPath(dialog) : std::string();
}

}  // namespace vyr
