#include "value_fields.h"

#include <wx/choice.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>

#include "control_set.h"

namespace vyr {
namespace {

constexpr int kBalancedOutput = 2;  // "Lineout (balanced)"

// Redraw order of the level-control page: the autoleveling fields, then (after the
// look-ahead range) the limiter's.
constexpr std::string_view kAutolevelingFields[] = {
    "he_th_slider",
    "he_pga_down_spinbutton",
    "he_step_timeout_spinbutton",
    "he_max_overs_spinbutton",
    "roi_up_th_slider",
    "roi_pga_down_spinbutton",
    "roi_pga_down_hold_spinbutton",
    "roi_att_spinbutton",
    "roi_low_th_slider",
    "roi_pga_up_spinbutton",
    "roi_pga_up_hold_spinbutton",
    "roi_rel_spinbutton",
    "roi_no_th_slider",
};
constexpr std::string_view kLimiterFields[] = {"li_th_slider", "li_att_spinbutton",
                                               "li_rel_spinbutton", "li_adv_spinbutton"};
constexpr std::string_view kLevelFields[] = {"play_headset_level_spin", "mess_level_group2_spin",
                                             "play_lineout_level_spin"};

int Position(wxWindow* adjuster) {
    if (auto* spin = dynamic_cast<wxSpinButton*>(adjuster))
        return spin->GetValue();
    if (auto* slider = dynamic_cast<wxSlider*>(adjuster))
        return slider->GetValue();
    return 0;
}

}  // namespace

display::Context ValueFields::Context() const {
    const auto* output = controls_.As<wxChoice>("play_output_selection");
    return {sampleRate_, output && output->GetSelection() == kBalancedOutput};
}

void ValueFields::Write(std::string_view adjuster) {
    const display::DisplayRow* row = display::FindDisplay(adjuster);
    if (!row)
        return;
    const std::string text =
        display::Format(row->conversion, Position(controls_.Control(row->adjuster)), Context());
    controls_.As<wxTextCtrl>(row->field)->ChangeValue(wxString::FromUTF8(text));
}

void ValueFields::RedrawAll() {
    for (std::string_view adjuster : kAutolevelingFields)
        Write(adjuster);
    controls_.As<wxSpinButton>("li_adv_spinbutton")
        ->SetRange(0, display::LookAheadMaximum(static_cast<int>(sampleRate_)));
    for (std::string_view adjuster : kLimiterFields)
        Write(adjuster);
    for (std::string_view adjuster : kLevelFields)
        Write(adjuster);
}

void ValueFields::ApplySampleRate(int rate) {
    // A rate the look-ahead cannot follow (no samples, or beyond what the device offers)
    // leaves everything as it was.
    if (rate <= 0)
        return;
    sampleRate_ = static_cast<unsigned>(rate);
    controls_.As<wxSpinButton>("li_adv_spinbutton")->SetRange(0, display::LookAheadMaximum(rate));
    for (std::string_view adjuster :
         {"li_att_spinbutton", "li_rel_spinbutton", "li_adv_spinbutton"})
        Write(adjuster);
}

void ValueFields::OnSliderScrolled(wxScrollEvent& event) {
    event.Skip();
    auto* slider = dynamic_cast<wxSlider*>(event.GetEventObject());
    if (!slider)
        return;
    const std::string name = slider->GetName().utf8_string();
    auto* upper = controls_.As<wxSlider>("roi_up_th_slider");
    auto* lower = controls_.As<wxSlider>("roi_low_th_slider");
    auto* noise = controls_.As<wxSlider>("roi_no_th_slider");
    display::SliderOutcome outcome;
    if (slider == upper)
        outcome = display::UpperTargetMoved(upper->GetValue(), lower->GetValue());
    else if (slider == lower)
        outcome =
            display::LowerTargetMoved(lower->GetValue(), upper->GetValue(), noise->GetValue());
    else if (slider == noise)
        outcome = display::NoiseFloorMoved(noise->GetValue(), lower->GetValue());
    if (outcome.snapTo) {
        slider->SetValue(*outcome.snapTo);
        return;
    }
    if (outcome.noiseFloorMaximum)
        noise->SetRange(noise->GetMin(), *outcome.noiseFloorMaximum);
    Write(name);
}

}  // namespace vyr
