#include "preset_bar.h"

#include <string>

#include <wx/choice.h>
#include <wx/tglbtn.h>

#include "control_set.h"
#include "ui/wx_text.h"

namespace vyr {

PresetBar::PresetBar(const ControlSet& controls)
    : chooser_(controls.As<wxChoice>("ActivePresetChooser")) {
    for (int preset = 0; preset < kPresetCount; ++preset)
        buttons_[preset] = controls.As<wxToggleButton>("BTN_PRESET" + std::to_string(preset));
    RebuildChooser();
}

int PresetBar::PresetOf(const wxToggleButton* button) const {
    for (int preset = 0; preset < kPresetCount; ++preset) {
        if (buttons_[preset] == button)
            return preset;
    }
    return -1;
}

void PresetBar::Edit(int preset) {
    if (!SettingCatalogue::IsValidPreset(preset))
        return;
    edited_ = !enabled_ && preset > 1 ? 1 : preset;
    UpdateButtons();
}

bool PresetBar::SetPresetsEnabled(bool enabled) {
    const int before = edited_;
    if (enabled != enabled_) {
        enabled_ = enabled;
        RebuildChooser();
    }
    if (!enabled_ && edited_ > 1)
        edited_ = 1;
    UpdateButtons();
    return edited_ != before;
}

void PresetBar::UpdateButtons() {
    for (int preset = 0; preset < kPresetCount; ++preset) {
        buttons_[preset]->Enable(enabled_ || preset <= 1);
        buttons_[preset]->SetValue(preset == edited_);
    }
}

void PresetBar::RebuildChooser() {
    const int selection = chooser_->GetSelection();
    chooser_->Clear();
    const int count = enabled_ ? kPresetCount : 2;
    for (int preset = 0; preset < count; ++preset)
        chooser_->Append(Wx(PresetName(preset)));
    chooser_->SetSelection(selection < count ? selection : 1);
}

int PresetBar::ActiveSelection() const {
    return chooser_->GetSelection();
}

void PresetBar::SelectActive(int preset) {
    if (preset >= 0 && preset < static_cast<int>(chooser_->GetCount()))
        chooser_->SetSelection(preset);
}

}  // namespace vyr
