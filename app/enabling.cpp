// What may be used when: menus, items and controls by connection, offline mode, the current
// user level, each parameter's access level and the presets' `enabled` flags.
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/tglbtn.h>

#include "main_frame.h"
#include "menus.h"
#include "session_controller.h"
#include "transfers.h"
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

bool AdminSWFrm::ParameterAllowed(int parameter) const {
    const SettingConstraint& entry = services_.catalogue[parameter];
    const bool levelAllows = userLevel_.MayEdit(entry);
    // On the DEFAULT preset an administrator edits only the global parameters.
    if (editedPreset_ == 0 && !userLevel_.MayWriteDefaultPreset())
        return entry.global && levelAllows;
    return levelAllows;
}

bool AdminSWFrm::MetaDataAllowed() const {
    const auto* format = ControlAs<wxChoice>("rec_format");
    return userLevel_.MayTransferSettings() && !offline_ && format &&
           format->GetStringSelection() == "BWF";
}

void AdminSWFrm::UpdateParameterEnabled(int parameter) {
    wxWindow* control = bound_[parameter];
    if (!control)
        return;
    control->Enable(ParameterAllowed(parameter) && Store().Enabled(parameter, editedPreset_));
    const SettingConstraint& entry = services_.catalogue[parameter];
    for (const LevelRow& row : kLevelRows) {
        if (row.parameter != entry.key)
            continue;
        const bool shown = userLevel_.MayEdit(entry);
        for (std::string_view key : {row.caption, row.adjuster, row.field})
            Control(key)->Show(shown);
    }
}

void AdminSWFrm::RefreshEnabling() {
    wxMenuBar* bar = GetMenuBar();
    offline_ = bar->IsChecked(menu::kOfflineMode);

    auto* connect = ControlAs<wxToggleButton>("ConnectButton");
    const bool busy = transfers_ && transfers_->Running();
    if (offline_) {
        connect->Disable();
        connect->SetLabel("Offline mode");
    } else if (busy) {
        // A transfer runs: the connection stays as it is until it ends.
        connect->Disable();
        connect->SetLabel("Busy");
    } else {
        connect->Enable();
        const std::string label = session_ ? session_->ButtonLabel() : "Connect";
        connect->SetValue(label != "Connect" && label != "Reconnect");
        connect->SetLabel(Wx(label));
    }

    const menu::Situation situation{connected_, offline_, userLevel_, busy};
    const auto menus = menu::Menus();
    for (std::size_t position = 0; position < menus.size(); ++position)
        bar->EnableTop(position, menu::Allowed(menus[position].when, situation));
    for (const menu::Item& item : menu::Items()) {
        if (!item.submenu.empty())
            continue;
        const int id = item.id >= 0 ? item.id : MenuItemId(item.menu, item.text);
        bar->Enable(id, menu::Allowed(item.when, situation));
    }

    const bool workable = connected_ || offline_;
    Control("notebook")->Enable(workable);
    Control("ActivePresetChooser")->Enable(workable);
    Control("MetaDataBtn")->Enable(MetaDataAllowed());

    for (int parameter = 0; parameter < kParameterCount; ++parameter)
        UpdateParameterEnabled(parameter);

    const bool powerChoice = HasPowerSourceChoice(hardware_);
    Control("WxStaticText5")->Show(powerChoice);
    Control("pm_prefered_power_source")->Show(powerChoice);
}

}  // namespace vyr
