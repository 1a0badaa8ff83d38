// The main window: a fixed-size frame whose controls all come from the layout tables.
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include <wx/frame.h>

#include "layout_tables.h"
#include "settings/catalogue.h"
#include "settings/store.h"

class wxToggleButton;

namespace vyr {

class AdminSWFrm : public wxFrame {
  public:
    // Builds the window hidden; binds the controls to the parameters of the store's catalogue.
    explicit AdminSWFrm(SettingStore& store, wxWindow* parent = nullptr);

    // The window built for a descriptor key (the control's name; spin controls by their
    // "spin_" key), or nullptr.
    wxWindow* Control(std::string_view key) const;

    // The control bound to a catalogue parameter, or nullptr.
    wxWindow* BoundControl(int parameter) const { return bound_[parameter]; }

    // Preset number and button, preset 0 first.
    const std::array<std::pair<int, wxToggleButton*>, kPresetCount>& PresetButtons() const {
        return presetButtons_;
    }

    SettingStore& Store() { return store_; }

  private:
    void BuildControls();
    void BindParameter(const layout::Control& descriptor, wxWindow* window);

    SettingStore& store_;
    std::map<std::string, wxWindow*, std::less<>> controls_;
    std::array<wxWindow*, kParameterCount> bound_{};
    std::array<std::pair<int, wxToggleButton*>, kPresetCount> presetButtons_{};
};

}  // namespace vyr
