// What may be used when: menus, items and controls by connection, offline mode, the current
// user level, each parameter's access level and the presets' `enabled` flags.
#pragma once

#include <string>

#include "device/user_level.h"
#include "settings/store.h"

class wxMenuBar;

namespace vyr {

class ControlSet;

// Everything the enabling depends on besides the store.
struct WindowSituation {
    bool connected = false;
    bool offline = false;
    bool busy = false;  // a device job is in flight
    UserLevel level = UserLevel::Nobody();
    HardwareClass hardware = HardwareClass::NotConnected;
    int editedPreset = 1;
    std::string connectLabel = "Connect";  // what the connect button says when usable
    bool connectPressed = false;  // a connection is being made or is up: the button is down
    bool mirrorKnown = false;  // the window knows what the device holds
    bool connecting = false;   // a connection is being made
};

class Enabling {
  public:
    Enabling(const ControlSet& controls, const SettingStore& store)
        : controls_(controls), store_(store) {}

    // Applies the situation to the connect button, the menus and every control.
    void Apply(const WindowSituation& situation, wxMenuBar& bar) const;
    // The control of one parameter (and the visibility of its service-only row).
    void ApplyToParameter(int parameter, const WindowSituation& situation) const;
    // "BWF Metadata" may be used.
    bool MetaDataAllowed(const WindowSituation& situation) const;

  private:
    bool ParameterAllowed(int parameter, const WindowSituation& situation) const;

    const ControlSet& controls_;
    const SettingStore& store_;
};

}  // namespace vyr
