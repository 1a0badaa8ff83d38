#include "enabling.h"

#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/tglbtn.h>
#include <wx/wupdlock.h>

#include "control_set.h"
#include "layout_tables.h"
#include "menus.h"
#include "ui/wx_text.h"

namespace vyr {
namespace {

// Service-only rows of the level-control page: the adjuster, its caption and its value field
// are shown together.
struct LevelRow {
    std::string_view parameter;
    std::string_view adjuster;
    std::string_view field;
};

constexpr LevelRow kLevelRows[] = {
    {"he_th", "he_th_slider", "he_th_label"},
    {"he_pga_down", "he_pga_down_spinbutton", "he_pga_down_label"},
    {"he_step_timeout", "he_step_timeout_spinbutton", "he_step_timeout_label"},
    {"he_max_overs", "he_max_overs_spinbutton", "he_max_overs_label"},
    {"roi_pga_down", "roi_pga_down_spinbutton", "roi_pga_down_label"},
    {"roi_pga_down_hold", "roi_pga_down_hold_spinbutton", "roi_pga_down_hold_label"},
    {"roi_att", "roi_att_spinbutton", "roi_att_label"},
    {"roi_pga_up", "roi_pga_up_spinbutton", "roi_pga_up_label"},
    {"roi_pga_up_hold", "roi_pga_up_hold_spinbutton", "roi_pga_up_hold_label"},
    {"roi_rel", "roi_rel_spinbutton", "roi_rel_label"},
};

// Each setter changes the control only when its state differs: a pass over every control
// then costs the toolkit work for what really changes, not a relayout of the whole window.
void SetEnabled(wxWindow* window, bool enabled) {
    if (window->IsThisEnabled() != enabled)
        window->Enable(enabled);
}

void SetShown(wxWindow* window, bool shown) {
    if (window->IsShown() != shown)
        window->Show(shown);
}

void SetButton(wxToggleButton* button, bool enabled, const wxString& label, bool pressed) {
    SetEnabled(button, enabled);
    if (button->GetLabel() != label)
        button->SetLabel(label);
    if (enabled && button->GetValue() != pressed)
        button->SetValue(pressed);
}

void EnableMenus(wxMenuBar& bar, const menu::Situation& situation) {
    const auto tops = menu::Menus();
    for (std::size_t position = 0; position < tops.size(); ++position) {
        const bool allowed = menu::Allowed(tops[position].when, situation);
        if (bar.IsEnabledTop(position) != allowed)
            bar.EnableTop(position, allowed);
    }
    for (const menu::Item& item : menu::Items()) {
        if (!item.submenu.empty())
            continue;
        const int id = item.id >= 0 ? item.id : bar.FindMenuItem(Wx(item.menu), Wx(item.text));
        const bool allowed = menu::Allowed(item.when, situation);
        if (bar.IsEnabled(id) != allowed)
            bar.Enable(id, allowed);
    }
}

}  // namespace

bool Enabling::ParameterAllowed(int parameter, const WindowSituation& situation) const {
    const SettingConstraint& entry = store_.Catalogue()[parameter];
    const bool levelAllows = situation.level.MayEdit(entry);
    // On the DEFAULT preset an administrator edits only the global parameters.
    if (situation.editedPreset == 0 && !situation.level.MayWriteDefaultPreset())
        return entry.global && levelAllows;
    return levelAllows;
}

bool Enabling::MetaDataAllowed(const WindowSituation& situation) const {
    const auto* format = controls_.As<wxChoice>("rec_format");
    return situation.level.MayTransferSettings() && !situation.offline && format &&
           format->GetStringSelection() == "BWF";
}

void Enabling::ApplyToParameter(int parameter, const WindowSituation& situation) const {
    wxWindow* control = controls_.Bound(parameter);
    if (!control)
        return;
    SetEnabled(control, ParameterAllowed(parameter, situation) &&
                            store_.Enabled(parameter, situation.editedPreset));
    const SettingConstraint& entry = store_.Catalogue()[parameter];
    for (const LevelRow& row : kLevelRows) {
        if (row.parameter != entry.key)
            continue;
        const bool shown = situation.level.MayEdit(entry);
        for (std::string_view key : {layout::CaptionOf(row.adjuster)->key, row.adjuster, row.field})
            SetShown(controls_.Control(key), shown);
    }
}

void Enabling::Apply(const WindowSituation& situation, wxMenuBar& bar) const {
    // A device job in flight: the button can neither connect nor disconnect now.
    auto* connect = controls_.As<wxToggleButton>("ConnectButton");
    if (situation.offline)
        SetButton(connect, false, "Offline mode", situation.connectPressed);
    else if (situation.busy)
        SetButton(connect, false, "Busy", situation.connectPressed);
    else
        SetButton(connect, true, Wx(situation.connectLabel), situation.connectPressed);

    // While a job is in flight nothing may start another exchange.
    EnableMenus(bar, {situation.connected, situation.offline, situation.level, situation.busy,
                      situation.mirrorKnown, situation.connecting});

    // One redraw of the pages for all that changes below.
    wxWindow* notebook = controls_.Control("notebook");
    const wxWindowUpdateLocker frozen(notebook);
    const bool workable = situation.connected || situation.offline;
    SetEnabled(notebook, workable);
    SetEnabled(controls_.Control("ActivePresetChooser"), workable && !situation.busy);
    SetEnabled(controls_.Control("MetaDataBtn"), MetaDataAllowed(situation));

    for (int parameter = 0; parameter < kParameterCount; ++parameter)
        ApplyToParameter(parameter, situation);

    const bool powerChoice = HasPowerSourceChoice(situation.hardware);
    SetShown(controls_.Control("WxStaticText5"), powerChoice);
    SetShown(controls_.Control("pm_prefered_power_source"), powerChoice);
}

}  // namespace vyr
