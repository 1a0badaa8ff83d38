// The menu bar of the main window as data: menus, items, ids, and when each may be used.
#pragma once

#include <span>
#include <string_view>

#include "device/user_level.h"

namespace vyr::menu {

inline constexpr int kOfflineMode = 1014;
inline constexpr int kLoadFromDevice = 1015;
inline constexpr int kSendToDevice = 1016;
inline constexpr int kSaveToComputer = 1017;
inline constexpr int kLoadFromComputer = 1018;
inline constexpr int kPresetsSwitch = 1019;
inline constexpr int kSendSinglePreset = 1020;
inline constexpr int kReadSinglePreset = 1021;
inline constexpr int kDeviceInformation = 1025;
inline constexpr int kUpdateFirmware = 1026;
inline constexpr int kEditUsers = 1027;
inline constexpr int kSerialNumber = 1031;
inline constexpr int kTestResults = 1032;
inline constexpr int kServiceNotes = 1033;
inline constexpr int kHelp = 1034;
inline constexpr int kAbout = 1036;
inline constexpr int kSendChangesToDevice = 1471;
inline constexpr int kVerifySends = 1472;
inline constexpr int kCompareWithFile = 1470;

// When a menu or item may be used: by the connection, or by what the user level allows.
enum class When {
    Always,
    NotBusy,  // connected or not, while no device job is in flight
    NotConnected,
    Connected,
    ConnectedOrOffline,
    TransferSettings,
    SendChanges,  // as TransferSettings, while the device's values are known
    Administrate,
    ServiceMenu,
    FactoryService,
};

struct Situation {
    bool connected = false;
    bool offline = false;
    UserLevel level = UserLevel::Nobody();
    // A device job is in flight: nothing that starts another exchange may be used.
    bool busy = false;
    // The window knows what the device holds (its mirror).
    bool mirrorKnown = false;
    // A connection is being made: the port is open, the device has not answered yet.
    bool connecting = false;
};

bool Allowed(When when, const Situation& situation);

enum class ItemKind { Normal, Check, Submenu };

struct Menu {
    std::string_view title;
    When when;
};

struct Item {
    std::string_view menu;     // title of the menu it belongs to
    std::string_view submenu;  // text of the submenu it sits in, or empty
    std::string_view text;
    int id;  // -1 for a submenu, which gets an id from the toolkit
    ItemKind kind;
    When when;
};

// Menus left to right; items top to bottom.
std::span<const Menu> Menus();
std::span<const Item> Items();

inline constexpr int kMicrophoneTypeCount = 19;
int MicrophoneTypeId(int type);
std::string_view MicrophoneTypeText(int type);

// The microphone type an item of the "Microphone settings" submenu stands for (0 for
// "Type A" .. 18 for "Type S"), or -1.
int MicrophoneType(int id);

}  // namespace vyr::menu
