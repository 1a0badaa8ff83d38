// The preset bar: the ten preset buttons, "Enable presets" and the device's active preset.
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/tglbtn.h>

#include "main_frame.h"
#include "menus.h"
#include "ui/wx_text.h"

namespace vyr {

void AdminSWFrm::SelectPreset(wxToggleButton* button) {
    const auto found = std::find_if(presetButtons_.begin(), presetButtons_.end(),
                                    [button](const auto& pair) { return pair.second == button; });
    if (found == presetButtons_.end())
        return;
    button->SetValue(true);
    editedPreset_ = found->first;

    if (!ShowEditedPreset())
        return;  // a nested selection finished the job
    UpdatePresetButtons();
    RefreshEnabling();
}

void AdminSWFrm::UpdatePresetButtons() {
    if (!presetsEnabled_ && editedPreset_ > 1) {
        SelectPreset(presetButtons_[1].second);
        return;
    }
    for (const auto& [preset, button] : presetButtons_) {
        if (preset == editedPreset_)
            continue;
        button->Enable(presetsEnabled_ || preset <= 1);
        button->SetValue(false);
    }
}

void AdminSWFrm::RebuildActivePresetList(bool presetsEnabled) {
    auto* chooser = ControlAs<wxChoice>("ActivePresetChooser");
    const int selection = chooser->GetSelection();
    chooser->Clear();
    const int count = presetsEnabled ? kPresetCount : 2;
    for (int preset = 0; preset < count; ++preset) {
        const std::string_view name = PresetName(preset);
        chooser->Append(Wx(name));
    }
    chooser->SetSelection(presetsEnabled || selection < 2 ? selection : 1);
}

int AdminSWFrm::ActivePresetSelection() const {
    return ControlAs<wxChoice>("ActivePresetChooser")->GetSelection();
}

void AdminSWFrm::SelectActivePreset(int preset) {
    auto* chooser = ControlAs<wxChoice>("ActivePresetChooser");
    if (preset >= 0 && preset < static_cast<int>(chooser->GetCount()))
        chooser->SetSelection(preset);
}

// "Preset" / "Enable/disable presets": the check box follows the item, and its value is
// stored as if the user had clicked it.
void AdminSWFrm::PresetsSwitch() {
    auto* box = dynamic_cast<wxCheckBox*>(BoundControl(param::presets_enabled));
    box->SetValue(GetMenuBar()->IsChecked(menu::kPresetsSwitch));
    box->Refresh();
    ReadControl(box);
}

}  // namespace vyr
