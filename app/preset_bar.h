// The preset bar: the ten preset buttons, which preset is edited, whether presets beyond 1 may
// be used, and the device's active preset chosen in "ActivePresetChooser".
#pragma once

#include <array>

#include "settings/catalogue.h"

class wxChoice;
class wxToggleButton;

namespace vyr {

class ControlSet;

class PresetBar {
  public:
    // Finds BTN_PRESET0..9 and the active-preset chooser among the built controls.
    explicit PresetBar(const ControlSet& controls);

    int Edited() const { return edited_; }
    bool PresetsEnabled() const { return enabled_; }
    wxToggleButton* Button(int preset) const { return buttons_[preset]; }
    // The preset a button stands for, or -1.
    int PresetOf(const wxToggleButton* button) const;

    // Makes `preset` the edited one (preset 1 instead of a higher one while presets are off)
    // and shows only its button pressed.
    void Edit(int preset);

    // Presets switched on or off: the buttons beyond 1 and the chooser's entries follow. When
    // presets go off while a preset above 1 is edited, preset 1 becomes the edited one: the
    // result is true, and the caller shows it.
    bool SetPresetsEnabled(bool enabled);

    // The active preset chosen (the chooser's selection, -1 for none) and choosing it.
    int ActiveSelection() const;
    void SelectActive(int preset);

  private:
    void UpdateButtons();
    void RebuildChooser();

    std::array<wxToggleButton*, kPresetCount> buttons_{};
    wxChoice* chooser_ = nullptr;
    int edited_ = 1;
    bool enabled_ = false;
};

}  // namespace vyr
