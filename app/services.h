// The program-wide single instances the window works on, and how the program was started.
#pragma once

#include <string>
#include <vector>

#include "link/link.h"
#include "settings/catalogue.h"
#include "settings/guard.h"
#include "settings/store.h"

namespace vyr {

struct AppServices {
    SettingCatalogue catalogue;
    GuardLog guard;
    SettingStore store{catalogue, guard};
    serial_link::Link link;  // also holds the current user level
};

struct StartOptions {
    // Ports named on the command line (--port PATH), listed before the ports found.
    std::vector<std::string> ports;
    // Directory holding "Corvanta/Vyr.cfg"; empty for the user's configuration directory.
    std::string configDir;
};

}  // namespace vyr
