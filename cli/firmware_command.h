// vyrctl device OPTIONS firmware | firmware --start (--backup FILE | --no-backup): whether the
// device holds a firmware file, and the update, at the level of the window's
// "Administration" menu.
#pragma once

#include <optional>
#include <string>

#include "cli/device_command.h"

namespace vyr::cli {

struct FirmwarePlan {
    bool start = false;
    std::optional<std::string> backup;  // the backup's FILE; nothing with --no-backup
};

// With several ports the backup FILE must name each device's file.
int ParseFirmware(const CommandInput& input, FirmwarePlan& plan, Streams io);
int RunFirmware(const FirmwarePlan& plan, DeviceSession& session);

}  // namespace vyr::cli
