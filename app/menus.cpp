#include "menus.h"

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
