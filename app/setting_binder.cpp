#include "setting_binder.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>

#include "control_set.h"
#include "preset_bar.h"
#include "value_fields.h"
#include "settings/text.h"
#include "ui/wx_text.h"

namespace vyr {
namespace {

wxString Wide(std::string_view latin1) {
    return wxString(WidenSettingText(latin1));
}

// The controls of the manual clock setting, locked while automatic synchronisation is on.
constexpr std::string_view kManualClock[] = {"DatePicker", "spin_rtc_hour", "spin_rtc_minute",
                                             "rtc_sync_now", "rtc_use_realtime"};

}  // namespace

SettingBinder::SettingBinder(const ControlSet& controls, SettingStore& store,
                             const PresetBar& presets, ValueFields& fields, Reactions& reactions)
    : controls_(controls), store_(store), presets_(presets), fields_(fields), reactions_(reactions) {}

void SettingBinder::ShowSetting(int parameter, int preset) {
    if (!SettingCatalogue::IsValidParameter(parameter) || !SettingCatalogue::IsValidPreset(preset))
        return;
    wxWindow* control = controls_.Bound(parameter);
    const std::string_view stored = store_.Text(parameter, preset);
    const std::optional<std::int32_t> number = ParseWholeInteger(stored);
    switch (controls_.KindOf(parameter)) {
        case ControlKind::CheckBox:
            // A text that is no number leaves the box as it is.
            if (number)
                static_cast<wxCheckBox*>(control)->SetValue(*number == 1);
            break;
        case ControlKind::Choice: {
            auto* choice = static_cast<wxChoice*>(control);
            const wxString shown = Wide(ToDisplayText(parameter, stored));
            for (unsigned i = 0; i < choice->GetCount(); ++i) {
                if (choice->GetString(i).IsSameAs(shown, false)) {
                    choice->SetSelection(static_cast<int>(i));
                    break;
                }
            }
            break;
        }
        case ControlKind::TextCtrl:
            // ChangeValue: showing a value is no edit.
            static_cast<wxTextCtrl*>(control)->ChangeValue(Wide(TrimTrailingBlanks(stored)));
            break;
        case ControlKind::Slider:
            if (number) {
                auto* slider = static_cast<wxSlider*>(control);
                // The noise floor's range may have been narrowed to another preset's lower
                // target; a value beyond it would be shown clamped.
                if (*number > slider->GetMax())
                    slider->SetRange(slider->GetMin(), Entry(parameter).max);
                slider->SetValue(*number);
            }
            break;
        case ControlKind::SpinCtrl:
            if (number)
                static_cast<wxSpinCtrl*>(control)->SetValue(*number);
            break;
        case ControlKind::SpinButton:
            if (number)
                static_cast<wxSpinButton*>(control)->SetValue(*number);
            break;
        case ControlKind::None:
            break;
    }
    if (control)
        control->Refresh();
    EditReactions(parameter, preset, false);
}

void SettingBinder::ReadControl(wxWindow* control) {
    const std::optional<int> bound = controls_.ParameterOf(control);
    if (!bound)
        return;
    const int parameter = *bound;
    std::wstring text;
    switch (controls_.KindOf(parameter)) {
        case ControlKind::SpinCtrl:
            text = std::to_wstring(static_cast<wxSpinCtrl*>(control)->GetValue());
            break;
        case ControlKind::Slider:
            text = std::to_wstring(static_cast<wxSlider*>(control)->GetValue());
            break;
        case ControlKind::SpinButton:
            text = std::to_wstring(static_cast<wxSpinButton*>(control)->GetValue());
            break;
        case ControlKind::CheckBox:
            text = static_cast<wxCheckBox*>(control)->GetValue() ? L"1" : L"0";
            break;
        case ControlKind::Choice:
            text = static_cast<wxChoice*>(control)->GetStringSelection().ToStdWstring();
            break;
        case ControlKind::TextCtrl:
            text = static_cast<wxTextCtrl*>(control)->GetValue().ToStdWstring();
            FilterText(text,
                       parameter == param::mic_label || parameter == param::rec_filename_prefix);
            break;
        case ControlKind::None:
            return;
    }
    std::string narrow = NarrowSettingText(text, NarrowMode::Replace);
    if (controls_.KindOf(parameter) == ControlKind::Choice)
        narrow = ToDeviceText(parameter, narrow);
    if (narrow.size() > kMaxValueLength)
        narrow.resize(kMaxValueLength);
    store_.StoreSetting(parameter, presets_.Edited(), narrow);
    EditReactions(parameter, presets_.Edited(), true);
}

void SettingBinder::EndTextEdit(wxWindow* field) {
    const std::optional<int> parameter = controls_.ParameterOf(field);
    auto* text = dynamic_cast<wxTextCtrl*>(field);
    if (!parameter || !text)
        return;
    const wxString stored = Wide(TrimTrailingBlanks(store_.Text(*parameter, presets_.Edited())));
    // Only a changed text is put back, so that the caret stays where it was otherwise.
    if (text->GetValue() != stored)
        text->ChangeValue(stored);
}

void SettingBinder::EditReactions(int parameter, int preset, bool userEdit) {
    const EditRuleEffects effects = ApplyEditRules(store_, parameter, preset, presets_.Edited());
    if (parameter == param::presets_enabled) {
        reactions_.PresetsSwitched(store_.Text(parameter, preset) == "1");
        return;
    }
    // Everything else concerns only what the pages show.
    if (preset != presets_.Edited())
        return;
    switch (parameter) {
        case param::allow_set_format:
        case param::allow_set_bitrate:
        case param::allow_set_sample_rate:
            for (int partner : effects.changedValues)
                ShowSetting(partner, preset);
            break;
        case param::rec_var_active_after_boot:
            if (store_.Text(parameter, preset) != "1")
                ShowSetting(param::rec_var_autostop_enabled, preset);
            reactions_.ParameterEnablingChanged(param::rec_var_autostop_enabled);
            break;
        case param::rec_file_format:
            OfferFormatChoices(userEdit);
            break;
        case param::rec_sample_rate:
            if (const auto rate =
                    ParseWholeInteger(TrimTrailingBlanks(store_.Text(parameter, preset))))
                fields_.ApplySampleRate(*rate);
            break;
        case param::play_output_selection:
            fields_.Write("play_lineout_level_spin");
            break;
        case param::pm_shutdown_time:
            fields_.Write("pm_shutdown_time_spin");
            break;
        case param::rtc_autosync:
            ApplyClockLock();
            break;
        case param::roi_enable:
        case param::li_enable:
            for (int target : SwitchGroup(parameter))
                reactions_.ParameterEnablingChanged(target);
            break;
        default:
            break;
    }
}

// The choices of data rate and sample rate follow the file format.
void SettingBinder::OfferFormatChoices(bool userEdit) {
    const std::string format(store_.Text(param::rec_file_format, presets_.Edited()));
    for (int parameter : {param::rec_bitrate, param::rec_sample_rate}) {
        auto* choice = static_cast<wxChoice*>(controls_.Bound(parameter));
        choice->Clear();
        for (std::string_view entry : OfferedChoices(store_.Catalogue(), parameter, format))
            choice->Append(Wx(entry));
    }
    reactions_.FormatChanged();
    for (int parameter : {param::rec_bitrate, param::rec_sample_rate}) {
        if (userEdit) {
            // The stored rates follow the new format at once.
            static_cast<wxChoice*>(controls_.Bound(parameter))->SetSelection(0);
            ReadControl(controls_.Bound(parameter));
        } else {
            ShowSetting(parameter, presets_.Edited());
        }
    }
}

void SettingBinder::ApplyClockLock() {
    const bool automatic = controls_.As<wxCheckBox>("rtc_autosync_enable")->GetValue();
    for (std::string_view key : kManualClock)
        controls_.Control(key)->Enable(!automatic);
}

void SettingBinder::ShowEditedPreset() {
    for (int parameter = 0; parameter < kParameterCount; ++parameter)
        ShowSetting(parameter, presets_.Edited());
    fields_.RedrawAll();
}

}  // namespace vyr
