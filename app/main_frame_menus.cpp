// The main window's menu bar and what each of its commands runs.
#include <functional>
#include <utility>

#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/weakref.h>

#include "compare_command.h"
#include "dialogs/dev_info_dialog.h"
#include "dialogs/firmware_dialog.h"
#include "dialogs/microphone_dialog.h"
#include "dialogs/service_records_dialogs.h"
#include "dialogs/users_dialog.h"
#include "help.h"
#include "layout_tables.h"
#include "local_config.h"
#include "main_frame.h"
#include "menus.h"
#include "transfers.h"
#include "ui/wx_text.h"
#include "unsaved_changes.h"

namespace vyr {

void AdminSWFrm::BuildMenuBar() {
    auto* bar = new wxMenuBar;
    for (const menu::Menu& m : menu::Menus()) {
        auto* items = new wxMenu;
        for (const menu::Item& item : menu::Items()) {
            if (item.menu != m.title || !item.submenu.empty())
                continue;
            const wxString text = Wx(item.text);
            switch (item.kind) {
                case menu::ItemKind::Normal:
                    items->Append(item.id, text);
                    break;
                case menu::ItemKind::Check:
                    items->AppendCheckItem(item.id, text);
                    break;
                case menu::ItemKind::Submenu: {
                    auto* sub = new wxMenu;
                    for (int type = 0; type < menu::kMicrophoneTypeCount; ++type) {
                        const std::string_view typeText = menu::MicrophoneTypeText(type);
                        sub->Append(menu::MicrophoneTypeId(type), Wx(typeText));
                    }
                    items->AppendSubMenu(sub, text, text);
                    break;
                }
            }
        }
        bar->Append(items, Wx(m.title));
    }
    SetMenuBar(bar);
}

int AdminSWFrm::MenuItemId(std::string_view menuTitle, std::string_view item) const {
    const wxMenuBar* bar = GetMenuBar();
    return bar ? bar->FindMenuItem(Wx(menuTitle), Wx(item)) : wxNOT_FOUND;
}

// Which part of the window runs each menu command.
void AdminSWFrm::RouteMenuCommands() {
    const std::pair<int, std::function<void()>> commands[] = {
        {menu::kOfflineMode, [this] { RefreshEnabling(); }},
        {menu::kLoadFromDevice, [this] { transfers_->LoadAll(); }},
        {menu::kSendToDevice, [this] { transfers_->SendAll(); }},
        {menu::kSendChangesToDevice, [this] { transfers_->SendChanges(); }},
        {menu::kVerifySends, [this] { SetVerifySends(GetMenuBar()->IsChecked(menu::kVerifySends)); }},
        {menu::kSendSinglePreset, [this] { transfers_->SendEditedPreset(); }},
        {menu::kReadSinglePreset, [this] { transfers_->LoadEditedPreset(); }},
        {menu::kLoadFromComputer, [this] { LoadSettingsFile(); }},
        {menu::kSaveToComputer, [this] { SaveSettingsFile(); }},
        {menu::kCompareWithFile, [this] { CompareWithSettingsFile(this, Store()); }},
        {menu::kPresetsSwitch, [this] { PresetsSwitch(); }},
        {menu::kHelp, [this] { ShowHelp(); }},
        {menu::kAbout, [this] { ShowAbout(); }},
        {menu::kDeviceInformation, [this] { deviceInfo_->Show(); }},
        {menu::kUpdateFirmware, [this] { firmware_->Show(); }},
        {menu::kEditUsers,
         [this] {
             users_->Show();
             users_->RefreshList();
         }},
        {menu::kSerialNumber, [this] { serialNumber_->Open(); }},
        {menu::kServiceNotes, [this] { serviceNotes_->Open(); }},
        {menu::kTestResults, [this] { testResults_->Open(); }},
    };
    for (const auto& [id, run] : commands)
        Bind(wxEVT_MENU, [run](wxCommandEvent&) { run(); }, id);
    for (int type = 0; type < menu::kMicrophoneTypeCount; ++type) {
        Bind(wxEVT_MENU, [this, type](wxCommandEvent&) { micSettings_->Open(type); },
             menu::MicrophoneTypeId(type));
    }
}

// "Preset" / "Enable/disable presets": the check box follows the item, and its value is
// stored as if the user had clicked it.
void AdminSWFrm::PresetsSwitch() {
    auto* box = dynamic_cast<wxCheckBox*>(BoundControl(param::presets_enabled));
    box->SetValue(GetMenuBar()->IsChecked(menu::kPresetsSwitch));
    box->Refresh();
    binder_->ReadControl(box);
    unsaved_->Refresh();
}

// "File" / "Verify sent values": every send reads back what it wrote; remembered.
void AdminSWFrm::SetVerifySends(bool on) {
    GetMenuBar()->Check(menu::kVerifySends, on);
    transfers_->SetVerify(on);
    config_->RememberVerifySends(on);
}

void AdminSWFrm::ShowHelp() {
    // The viewer may report after this returns, when the window could be gone.
    wxWeakRef<wxWindow> window(this);
    const auto report = [window](const std::string& text) {
        if (window)
            wxMessageBox(Wx(text), "Help", wxOK | wxICON_WARNING, window.get());
    };
    std::string error;
    if (!OpenHelpFile(HelpFilePath(), error, report))
        report(error);
}

void AdminSWFrm::ShowAbout() {
    wxMessageBox(
        wxString::Format("Vyr Administration Software\n\nVersion: %s", Wx(layout::kVersion)),
        "About", wxOK, this);
}

}  // namespace vyr
