// "Save settings to computer" and "Load settings from computer".
#include "dialogs/protocol_guard_dlg.h"
#include "main_frame.h"
#include "settings/settings_file.h"
#include "unsaved_changes.h"
#include "ui/message_box.h"
#include "ui/settings_file_chooser.h"

namespace vyr {

bool AdminSWFrm::SaveSettingsFile(wxWindow* chooserParent) {
    const std::string path =
        ChooseSettingsFileToSave(chooserParent != nullptr ? chooserParent : this);
    if (path.empty())
        return false;
    if (const auto message = MessageFor(SaveSettingsStore(Store(), path))) {
        ShowStatusMessage(this, *message);
        return false;
    }
    unsaved_->MarkSaved();
    return true;
}

void AdminSWFrm::LoadSettingsFile() {
    if (!unsaved_->MayDiscard("Load settings from computer"))
        return;
    const std::string path = ChooseSettingsFileToLoad(this);
    if (!path.empty())
        LoadSettingsFile(path);
}

void AdminSWFrm::LoadSettingsFile(const std::string& path) {
    const SettingsFileStatus status = LoadSettingsStore(Store(), path);
    if (const auto message = MessageFor(status)) {
        ShowStatusMessage(this, *message);
        return;
    }
    if (!services_.guard.Empty())
        ShowGuard(this, services_.guard);
    ShowEditedPreset();
    RefreshEnabling();
    unsaved_->MarkSaved();
}

}  // namespace vyr
