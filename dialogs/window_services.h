// What the dialogs ask of the main window. The window implements it; tests implement it with
// a fake. Every call comes from the GUI thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "device/connection.h"

class wxWindow;

namespace vyr {

// What the backup before a firmware update gave.
struct SettingsBackup {
    bool saved = false;  // every value was answered and the file was written
    // With `saved`: the values the device said it lacks ("key, PRESET n"); the file holds
    // their defaults.
    std::vector<std::string> absent;
};

class WindowServices {
  public:
    virtual ~WindowServices() = default;

    // The backup before a firmware update: the window loads all settings from the device as
    // "Load settings from device" does (asking first about unsaved changes, with its progress
    // dialog above `over`, the guard report and "Busy"), then, when every value was answered,
    // saves them as "Save settings to computer" does, the file asked for over `over`.
    // `saving` runs when the load is in and the file is asked for; `done` runs once at the
    // end, on the GUI thread. Returns at once.
    virtual void BackUpSettings(wxWindow* over, std::function<void()> saving,
                                std::function<void(const SettingsBackup&)> done) = 0;

    // Logs in on the current connection with `user` and `password` (already held to the
    // device's repertoire and known to fit the frame), away from the GUI thread. Returns at
    // once; `done` is called later on the GUI thread, exactly once, with the result of
    // device::Login. When the connection is gone before the login could run, `done` gets
    // LoginStatus::Refused.
    virtual void RunLogin(std::wstring user, std::wstring password,
                          std::function<void(LoginResult)> done) = 0;

    // Recomputes which menus and controls are enabled.
    virtual void RefreshEnabling() = 0;

    // Ends the connection: stops the keep-alive, closes the port, labels the connect button
    // "Connect", sets the user level to nobody, refreshes the enabling and hides the login
    // dialog.
    virtual void Disconnect() = 0;
};

}  // namespace vyr
