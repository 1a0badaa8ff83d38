#include "menus.h"

#include <functional>
#include <utility>

#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/weakref.h>

#include "dialogs/dev_info_dialog.h"
#include "dialogs/service_records_dialogs.h"
#include "dialogs/microphone_dialog.h"
#include "dialogs/users_dialog.h"
#include "dialogs/firmware_dialog.h"
#include "compare_command.h"
#include "help.h"
#include "layout_tables.h"
#include "local_config.h"
#include "main_frame.h"
#include "unsaved_changes.h"
#include "transfers.h"
#include "ui/wx_text.h"

namespace vyr::menu {
namespace {

using enum When;
using enum ItemKind;

constexpr Menu kMenus[] = {
    {"File", Always},        {"Preset", ConnectedOrOffline},
    {"Device", TransferSettings},  {"Administration", Administrate},
    {"Service", ServiceMenu}, {"Help", Always},
};

constexpr std::string_view kMicrophoneSettings = "Microphone settings";

// Ids of "Type A" .. "Type L", then "Type M" .. "Type S".
constexpr int kFirstTypeId = 1037;
constexpr int kTwelfthTypeId = 1048;
constexpr int kThirteenthTypeId = 1318;
constexpr int kLastTypeId = 1324;

constexpr std::string_view kTypeTexts[] = {
    "Type A", "Type B", "Type C", "Type D", "Type E", "Type F", "Type G",
    "Type H", "Type I", "Type J", "Type K", "Type L", "Type M", "Type N",
    "Type O", "Type P", "Type Q", "Type R", "Type S",
};

constexpr Item kItems[] = {
    {"File", {}, "Offline mode", kOfflineMode, Check, NotConnected},
    {"File", {}, "Load settings from device", kLoadFromDevice, Normal, TransferSettings},
    {"File", {}, "Send settings to device", kSendToDevice, Normal, TransferSettings},
    {"File", {}, "Send changes to device", kSendChangesToDevice, Normal, SendChanges},
    {"File", {}, "Verify sent values", kVerifySends, Check, Always},
    {"File", {}, "Load settings from computer", kLoadFromComputer, Normal, ConnectedOrOffline},
    {"File", {}, "Save settings to computer", kSaveToComputer, Normal, ConnectedOrOffline},
    {"File", {}, "Compare with settings file...", kCompareWithFile, Normal, NotBusy},
    {"Preset", {}, "Enable/disable presets", kPresetsSwitch, Check, Always},
    {"Preset", {}, "Send single preset to device", kSendSinglePreset, Normal, TransferSettings},
    {"Preset", {}, "Read single preset from device", kReadSinglePreset, Normal, TransferSettings},
    {"Device", {}, "Display device information", kDeviceInformation, Normal, Connected},
    {"Device", {}, "Update firmware", kUpdateFirmware, Normal, Administrate},
    {"Administration", {}, "Edit users", kEditUsers, Normal, Always},
    {"Service", {}, kMicrophoneSettings, -1, Submenu, ServiceMenu},
    {"Service", {}, "Read and write serial number", kSerialNumber, Normal, FactoryService},
    {"Service", {}, "Read production test results", kTestResults, Normal, FactoryService},
    {"Service", {}, "Store and read service notes", kServiceNotes, Normal, FactoryService},
    {"Help", {}, "Vyr administration help", kHelp, Normal, Always},
    {"Help", {}, "About", kAbout, Normal, Always},
};

}  // namespace

bool Allowed(When when, const Situation& s) {
    // Every rule below that needs the connection starts an exchange.
    if (s.busy && when != Always && when != NotConnected && when != ConnectedOrOffline)
        return false;
    switch (when) {
        case Always:
            return true;
        case NotBusy:
            return !s.busy;
        case NotConnected:
            return !s.connected && !s.connecting;
        case Connected:
            return s.connected;
        case ConnectedOrOffline:
            return s.connected || s.offline;
        case TransferSettings:
            return s.level.MayTransferSettings();
        case SendChanges:
            return s.level.MayTransferSettings() && s.mirrorKnown;
        case Administrate:
            return s.level.MayAdministrate();
        case ServiceMenu:
            return s.level.MayUseServiceMenu();
        case FactoryService:
            return s.level.MayUseFactoryService();
    }
    return false;
}

std::span<const Menu> Menus() {
    return kMenus;
}

std::span<const Item> Items() {
    return kItems;
}

int MicrophoneTypeId(int type) {
    const int twelve = kTwelfthTypeId - kFirstTypeId + 1;
    return type < twelve ? kFirstTypeId + type : kThirteenthTypeId + (type - twelve);
}

std::string_view MicrophoneTypeText(int type) {
    return kTypeTexts[type];
}

int MicrophoneType(int id) {
    if (id >= kFirstTypeId && id <= kTwelfthTypeId)
        return id - kFirstTypeId;
    if (id >= kThirteenthTypeId && id <= kLastTypeId)
        return id - kThirteenthTypeId + (kTwelfthTypeId - kFirstTypeId + 1);
    return -1;
}

}  // namespace vyr::menu

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
