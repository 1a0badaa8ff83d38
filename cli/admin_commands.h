// vyrctl's administration commands: the device's user accounts and the firmware update.
// Both need the level of the window's "Administration" menu.
#pragma once

#include "cli/commands.h"
#include "cli/device_session.h"

namespace vyr::cli {

// "users", "users set NAME [--superadmin] [--new-password-file FILE]", "users rm NAME"
int RunUsersCommand(const DeviceOptions& options, Streams io);
// Checks the arguments of "users set" and reads its new password once, for every device.
int CheckUsersCommand(DeviceOptions& options, Streams io);

// "firmware", "firmware --start (--backup FILE | --no-backup)"
int RunFirmwareCommand(const DeviceOptions& options, Streams io);
// Checks the arguments; with several ports the backup FILE must name each device's file.
int CheckFirmwareCommand(DeviceOptions& options, Streams io);

}  // namespace vyr::cli
