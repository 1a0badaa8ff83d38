// The settings the window works on, and how the program was started.
#pragma once

#include <string>
#include <vector>

#include "settings/model.h"

namespace vyr {

// The program-wide settings: catalogue, store and the report of the last load.
using AppServices = SettingsModel;

struct StartOptions {
    // Ports named on the command line (--port PATH), listed before the ports found.
    std::vector<std::string> ports = {};
    // Directory holding "Corvanta/Vyr.cfg"; empty for the user's configuration directory.
    std::string configDir = {};
    // A settings file to load once the window is shown (vyradmin FILE, how a file manager
    // opens a .Vyr file); empty for none.
    std::string settingsFile = {};
};

}  // namespace vyr
