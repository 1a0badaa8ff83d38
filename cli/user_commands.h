// vyrctl device OPTIONS users | users set NAME [--superadmin] [--new-password-file FILE] |
// users rm NAME: the device's user accounts, at the level of the window's "Administration"
// menu.
#pragma once

#include <string>

#include "cli/device_command.h"
#include "link/secret.h"

namespace vyr::cli {

struct UsersPlan {
    enum class Action { List, Set, Remove };
    Action action = Action::List;
    std::wstring name;                // of set and rm, checked
    bool superadministrator = false;  // of set
    serial_link::Secret newPassword;  // of set: read once, before any port is opened
};

int ParseUsers(const CommandInput& input, UsersPlan& plan, Streams io);
int RunUsers(const UsersPlan& plan, DeviceSession& session);

}  // namespace vyr::cli
