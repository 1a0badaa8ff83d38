#include "window_ui.h"

#include <wx/msgdlg.h>
#include <wx/tglbtn.h>

#include "dialogs/protocol_guard_dlg.h"
#include "main_frame.h"
#include "ui/wx_text.h"

namespace vyr {
void WindowUi::BeginBusy() {
    auto* button = frame_.ControlAs<wxToggleButton>("ConnectButton");
    button->SetLabel("Busy");
    button->Disable();
    button->Update();
}

void WindowUi::EndBusy() {
    frame_.RefreshEnabling();
}

void WindowUi::ShowMessage(const StatusMessage& message) {
    const long icon = message.icon == MessageIcon::Error ? wxICON_ERROR : wxICON_WARNING;
    wxMessageBox(Wx(message.text), Wx(message.title), wxOK | icon, &frame_);
}

bool WindowUi::Confirm(std::string_view title, std::string_view text) {
    return wxMessageBox(Wx(text), Wx(title), wxYES_NO | wxNO_DEFAULT | wxICON_WARNING, &frame_) ==
           wxYES;
}

void WindowUi::ShowGuard(const GuardLog& guard) {
    vyr::ShowGuard(&frame_, guard);
}

int WindowUi::ActivePreset() const {
    return frame_.ActivePresetSelection();
}

void WindowUi::SetActivePreset(int preset) {
    frame_.SelectActivePreset(preset);
}

int WindowUi::EditedPreset() const {
    return frame_.EditedPreset();
}

void WindowUi::SelectEditedPreset(int preset) {
    if (SettingCatalogue::IsValidPreset(preset))
        frame_.SelectPreset(frame_.PresetButtons()[preset].second);
}

void WindowUi::ShowEditedPreset() {
    frame_.ShowEditedPreset();
}

void WindowUi::RefreshEnabling() {
    frame_.RefreshEnabling();
}

}  // namespace vyr
