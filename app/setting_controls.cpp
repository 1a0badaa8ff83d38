// Values between the store and the controls, and what the window does after each one.
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>

#include "main_frame.h"
#include "menus.h"
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

void AdminSWFrm::ShowSetting(int parameter, int preset) {
    if (!SettingCatalogue::IsValidParameter(parameter) || !SettingCatalogue::IsValidPreset(preset))
        return;
    wxWindow* control = bound_[parameter];
    const std::string_view stored = Store().Text(parameter, preset);
    const std::optional<std::int32_t> number = ParseWholeInteger(stored);
    switch (services_.catalogue[parameter].controlKind) {
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
                    slider->SetRange(slider->GetMin(), services_.catalogue[parameter].max);
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

void AdminSWFrm::ReadControl(wxWindow* control) {
    const auto found = parameterOf_.find(control);
    if (found == parameterOf_.end())
        return;
    const int parameter = found->second;
    std::wstring text;
    switch (services_.catalogue[parameter].controlKind) {
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
    if (services_.catalogue[parameter].controlKind == ControlKind::Choice)
        narrow = ToDeviceText(parameter, narrow);
    if (narrow.size() > kMaxValueLength)
        narrow.resize(kMaxValueLength);
    Store().StoreSetting(parameter, editedPreset_, narrow);
    EditReactions(parameter, editedPreset_, true);
}

void AdminSWFrm::EndTextEdit(wxWindow* field) {
    const auto found = parameterOf_.find(field);
    auto* text = dynamic_cast<wxTextCtrl*>(field);
    if (found == parameterOf_.end() || !text || IsBeingDeleted())
        return;
    const wxString stored = Wide(TrimTrailingBlanks(Store().Text(found->second, editedPreset_)));
    // Only a changed text is put back, so that the caret stays where it was otherwise.
    if (text->GetValue() != stored)
        text->ChangeValue(stored);
}

void AdminSWFrm::EditReactions(int parameter, int preset, bool userEdit) {
    const EditRuleEffects effects = ApplyEditRules(Store(), parameter, preset, editedPreset_);
    if (parameter == param::presets_enabled) {
        presetsEnabled_ = Store().Text(parameter, preset) == "1";
        UpdatePresetButtons();
        RebuildActivePresetList(presetsEnabled_);
        GetMenuBar()->Check(menu::kPresetsSwitch, presetsEnabled_);
        return;
    }
    // Everything else concerns only what the pages show.
    if (preset != editedPreset_)
        return;
    switch (parameter) {
        case param::allow_set_format:
        case param::allow_set_bitrate:
        case param::allow_set_sample_rate:
            for (int partner : effects.changedValues)
                ShowSetting(partner, preset);
            break;
        case param::rec_var_active_after_boot:
            if (Store().Text(parameter, preset) != "1")
                ShowSetting(param::rec_var_autostop_enabled, preset);
            UpdateParameterEnabled(param::rec_var_autostop_enabled);
            break;
        case param::rec_file_format:
            OfferFormatChoices(userEdit);
            break;
        case param::rec_sample_rate:
            if (const auto rate =
                    ParseWholeInteger(TrimTrailingBlanks(Store().Text(parameter, preset))))
                ApplyLookAheadRange(*rate);
            break;
        case param::play_output_selection:
            WriteDisplay("play_lineout_level_spin");
            break;
        case param::pm_shutdown_time:
            WriteDisplay("pm_shutdown_time_spin");
            break;
        case param::rtc_autosync:
            ApplyClockLock();
            break;
        case param::roi_enable:
        case param::li_enable:
            for (int target : SwitchGroup(parameter))
                UpdateParameterEnabled(target);
            break;
        default:
            break;
    }
}

// The choices of data rate and sample rate follow the file format.
void AdminSWFrm::OfferFormatChoices(bool userEdit) {
    const std::string format(Store().Text(param::rec_file_format, editedPreset_));
    for (int parameter : {param::rec_bitrate, param::rec_sample_rate}) {
        auto* choice = static_cast<wxChoice*>(bound_[parameter]);
        choice->Clear();
        for (std::string_view entry : OfferedChoices(services_.catalogue, parameter, format))
            choice->Append(Wx(entry));
    }
    Control("MetaDataBtn")->Enable(MetaDataAllowed());
    for (int parameter : {param::rec_bitrate, param::rec_sample_rate}) {
        if (userEdit) {
            // The stored rates follow the new format at once.
            static_cast<wxChoice*>(bound_[parameter])->SetSelection(0);
            ReadControl(bound_[parameter]);
        } else {
            ShowSetting(parameter, editedPreset_);
        }
    }
}

void AdminSWFrm::ApplyClockLock() {
    const bool automatic = dynamic_cast<wxCheckBox*>(Control("rtc_autosync_enable"))->GetValue();
    for (std::string_view key : kManualClock)
        Control(key)->Enable(!automatic);
}

bool AdminSWFrm::ShowEditedPreset() {
    // Showing `presets_enabled` may switch to preset 1 from within this loop (presets
    // disabled while a higher preset was chosen); that nested selection shows everything,
    // and this pass stops.
    const unsigned generation = ++selectGeneration_;
    for (int parameter = 0; parameter < kParameterCount; ++parameter) {
        ShowSetting(parameter, editedPreset_);
        if (generation != selectGeneration_)
            return false;
    }
    RedrawAlvPage();
    RedrawLevelDisplays();
    return true;
}

}  // namespace vyr
