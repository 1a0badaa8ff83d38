#include "main_frame.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include "fonts.h"
#include "gtk_style.h"
#include "layout_tables.h"
#include "window_builder.h"

namespace vyr {
namespace {

wxString Title() {
    const std::string format(layout::kTitleFormat);
    const std::string version(layout::kVersion);
    return wxString::Format(wxString::FromUTF8(format), wxString::FromUTF8(version));
}

ControlKind KindOfControl(layout::Kind kind) {
    switch (kind) {
        case layout::Kind::SpinCtrl:
            return ControlKind::SpinCtrl;
        case layout::Kind::CheckBox:
            return ControlKind::CheckBox;
        case layout::Kind::Choice:
            return ControlKind::Choice;
        case layout::Kind::TextField:
            return ControlKind::TextCtrl;
        case layout::Kind::Slider:
            return ControlKind::Slider;
        case layout::Kind::SpinButton:
            return ControlKind::SpinButton;
        default:
            return ControlKind::None;
    }
}

}  // namespace

AdminSWFrm::AdminSWFrm(SettingStore& store, wxWindow* parent)
    : wxFrame(parent, wxID_ANY, Title(), wxPoint(8, 8),
              wxSize(layout::kFrameWidth, layout::kFrameHeight),
              wxDEFAULT_FRAME_STYLE & ~(wxRESIZE_BORDER | wxMAXIMIZE_BOX)),
      store_(store) {
    UseCompactStyle(this);
    SetFont(fonts::Ui());
    BuildControls();
    // Fixed size: the absolute layout does not follow a larger or smaller frame.
    const wxSize size(layout::kFrameWidth, layout::kFrameHeight);
    SetSize(size);
    SetSizeHints(size, size);
    Centre(wxBOTH);
}

void AdminSWFrm::BuildControls() {
    layout::WindowBuilder builder(this);
    for (const layout::Table& table : layout::Tables()) {
        for (const layout::Control& descriptor : table.controls) {
            wxWindow* window = builder.Build(descriptor);
            if (!window)
                continue;
            controls_.emplace(std::string(descriptor.key), window);
            BindParameter(descriptor, window);
        }
    }
    for (int preset = 0; preset < kPresetCount; ++preset) {
        auto* button =
            dynamic_cast<wxToggleButton*>(Control("BTN_PRESET" + std::to_string(preset)));
        presetButtons_[preset] = {preset, button};
    }
}

void AdminSWFrm::BindParameter(const layout::Control& descriptor, wxWindow* window) {
    if (descriptor.parameter.empty())
        return;
    SettingCatalogue& catalogue = store_.Catalogue();
    const int parameter = catalogue.Find(descriptor.parameter);
    wxCHECK_RET(SettingCatalogue::IsValidParameter(parameter), "layout table: unknown parameter");
    catalogue.Entry(parameter).controlKind = KindOfControl(descriptor.kind);
    bound_[parameter] = window;
}

wxWindow* AdminSWFrm::Control(std::string_view key) const {
    const auto it = controls_.find(key);
    return it == controls_.end() ? nullptr : it->second;
}

}  // namespace vyr
