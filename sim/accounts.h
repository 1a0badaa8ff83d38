// The device's user accounts: one file per user under /chroma/users/, reachable only through
// the account commands (set password, set level, log in) and the "rm" shell line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vyrsim {

inline constexpr std::string_view kUsersDirectory = "/chroma/users/";
inline constexpr int kLowestUserLevel = 0;   // service
inline constexpr int kHighestUserLevel = 4;  // administrator

struct UserRecord {
    std::string password;
    std::optional<int> level;  // none until set: such an account cannot log in
};

// The service accounts every device keeps; no command may change or remove them.
bool IsReservedAccount(std::string_view name);
// Characters a user file name may hold: no separators, blanks, control or shell characters.
bool IsValidUserName(std::string_view name);
// The user named by a path "/chroma/users/<name>", when the name is valid.
std::optional<std::string> UserFromPath(std::string_view path);
std::string UserPath(std::string_view name);

bool IsValidPassword(std::string_view password);
bool IsUserLevel(int level);

UserRecord ParseUser(std::string_view content);
std::string FormatUser(const UserRecord& user);

}  // namespace vyrsim
