#include "sim/accounts.h"

#include <array>
#include <charconv>

namespace vyrsim {

namespace {

constexpr std::array<std::string_view, 3> kReserved = {"service", "distributor", "controller"};
constexpr std::string_view kShellCharacters = "/\\;&|<>`$*?'\"(){}[]!#~=%";
constexpr std::string_view kPasswordKey = "password=";
constexpr std::string_view kLevelKey = "level=";

}  // namespace

bool IsReservedAccount(std::string_view name) {
    for (std::string_view reserved : kReserved) {
        if (name == reserved)
            return true;
    }
    return false;
}

bool IsValidUserName(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.front() == '-')
        return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7f || kShellCharacters.find(c) != std::string_view::npos)
            return false;
    }
    return true;
}

std::optional<std::string> UserFromPath(std::string_view path) {
    if (!path.starts_with(kUsersDirectory))
        return std::nullopt;
    const std::string_view name = path.substr(kUsersDirectory.size());
    if (!IsValidUserName(name))
        return std::nullopt;
    return std::string(name);
}

std::string UserPath(std::string_view name) {
    return std::string(kUsersDirectory) + std::string(name);
}

bool IsValidPassword(std::string_view password) {
    if (password.empty())
        return false;
    for (const char c : password) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            return false;
    }
    return true;
}

bool IsUserLevel(int level) {
    return level >= kLowestUserLevel && level <= kHighestUserLevel;
}

UserRecord ParseUser(std::string_view content) {
    UserRecord user;
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        const std::string_view line = content.substr(0, end);
        content = end == std::string_view::npos ? std::string_view{} : content.substr(end + 1);
        if (line.starts_with(kPasswordKey)) {
            user.password = std::string(line.substr(kPasswordKey.size()));
        } else if (line.starts_with(kLevelKey)) {
            const std::string_view digits = line.substr(kLevelKey.size());
            int level = 0;
            const auto [rest, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), level);
            if (ec == std::errc{} && rest == digits.data() + digits.size() && IsUserLevel(level))
                user.level = level;
        }
    }
    return user;
}

std::string FormatUser(const UserRecord& user) {
    std::string content = std::string(kPasswordKey) + user.password + "\n";
    if (user.level)
        content += std::string(kLevelKey) + std::to_string(*user.level) + "\n";
    return content;
}

}  // namespace vyrsim
