#include "enabling.h"

#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/tglbtn.h>

#include "control_set.h"
#include "menus.h"
#include "ui/wx_text.h"

namespace vyr {
namespace {

// Service-only rows of the level-control page: caption, adjuster and value field are shown
// together.
struct LevelRow {
    std::string_view parameter;
    std::string_view caption;
    std::string_view adjuster;
    std::string_view field;
};

constexpr LevelRow kLevelRows[] = {
    {"he_th", "WxStaticText28", "he_th_slider", "he_th_label"},
    {"he_pga_down", "WxStaticText53", "he_pga_down_spinbutton", "he_pga_down_label"},
    {"he_step_timeout", "WxStaticText54", "he_step_timeout_spinbutton", "he_step_timeout_label"},
    {"he_max_overs", "WxStaticText55", "he_max_overs_spinbutton", "he_max_overs_label"},
    {"roi_pga_down", "WxStaticText56", "roi_pga_down_spinbutton", "roi_pga_down_label"},
    {"roi_pga_down_hold", "WxStaticText58", "roi_pga_down_hold_spinbutton",
     "roi_pga_down_hold_label"},
    {"roi_att", "WxStaticText59", "roi_att_spinbutton", "roi_att_label"},
    {"roi_pga_up", "WxStaticText61", "roi_pga_up_spinbutton", "roi_pga_up_label"},
    {"roi_pga_up_hold", "WxStaticText62", "roi_pga_up_hold_spinbutton", "roi_pga_up_hold_label"},
    {"roi_rel", "WxStaticText63", "roi_rel_spinbutton", "roi_rel_label"},
};

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
    control->Enable(ParameterAllowed(parameter, situation) &&
                    store_.Enabled(parameter, situation.editedPreset));
    const SettingConstraint& entry = store_.Catalogue()[parameter];
    for (const LevelRow& row : kLevelRows) {
        if (row.parameter != entry.key)
            continue;
        const bool shown = situation.level.MayEdit(entry);
        for (std::string_view key : {row.caption, row.adjuster, row.field})
            controls_.Control(key)->Show(shown);
    }
}

void Enabling::Apply(const WindowSituation& situation, wxMenuBar& bar) const {
    auto* connect = controls_.As<wxToggleButton>("ConnectButton");
    if (situation.offline) {
        connect->Disable();
        connect->SetLabel("Offline mode");
    } else if (situation.busy) {
        // A device job is in flight: the button can neither connect nor disconnect now.
        connect->Disable();
        connect->SetLabel("Busy");
    } else {
        connect->Enable();
        const std::string& label = situation.connectLabel;
        connect->SetValue(label != "Connect" && label != "Reconnect");
        connect->SetLabel(Wx(label));
    }

    // While a job is in flight nothing may start another exchange.
    const menu::Situation menus{situation.connected, situation.offline, situation.level,
                                situation.busy,      situation.mirrorKnown, situation.connecting};
    const auto tops = menu::Menus();
    for (std::size_t position = 0; position < tops.size(); ++position)
        bar.EnableTop(position, menu::Allowed(tops[position].when, menus));
    for (const menu::Item& item : menu::Items()) {
        if (!item.submenu.empty())
            continue;
        const int id = item.id >= 0 ? item.id : bar.FindMenuItem(Wx(item.menu), Wx(item.text));
        bar.Enable(id, menu::Allowed(item.when, menus));
    }

    const bool workable = situation.connected || situation.offline;
    controls_.Control("notebook")->Enable(workable);
    controls_.Control("ActivePresetChooser")->Enable(workable && !situation.busy);
    controls_.Control("MetaDataBtn")->Enable(MetaDataAllowed(situation));

    for (int parameter = 0; parameter < kParameterCount; ++parameter)
        ApplyToParameter(parameter, situation);

    const bool powerChoice = HasPowerSourceChoice(situation.hardware);
    controls_.Control("WxStaticText5")->Show(powerChoice);
    controls_.Control("pm_prefered_power_source")->Show(powerChoice);
}

}  // namespace vyr
