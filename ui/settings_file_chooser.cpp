#include "ui/settings_file_chooser.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

#include "settings/settings_file.h"
#include "ui/message_box.h"
#include "ui/wx_text.h"

namespace vyr {
namespace {

constexpr const char* kWildcard = "*.Vyr";

// The file the person chose. GTK reports it once the dialog has been shown; a path given to
// the dialog by the program itself is only known to the dialog object.
std::string ChosenPath(const wxFileDialog& dialog) {
    wxString path = dialog.GetPath();
    if (path.empty())
        path = dialog.wxFileDialogBase::GetPath();
    return PathFromWx(path);
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
    const wxFileName target(WxPath(path));
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
