// Asking the person for a settings file: the file dialogs of "Save settings to computer"
// (shared with the backup before a firmware update) and "Load settings from computer".
#pragma once

#include <string>

class wxWindow;

namespace vyr {

// Shows the save dialog for a settings file over `parent`. The chosen path, in the file
// system's encoding and ending in ".Vyr"; empty when the person cancelled, or declined to
// replace an existing file that the added extension names.
std::string ChooseSettingsFileToSave(wxWindow* parent);

// Shows the open dialog for an existing settings file; empty when the person cancelled.
std::string ChooseSettingsFileToLoad(wxWindow* parent);

}  // namespace vyr
