// Who is logged in and what hardware answers: the two facts every rule about what may be
// done reads. Every rule asks these types; no other code compares level or class numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vyr {

struct SettingConstraint;

// The current user level. The device's accounts have the levels 0 (service) to 4
// (administrator); a smaller number means more rights. Two more levels describe a session
// without a login: connected but not logged in, and nobody (not connected).
class UserLevel {
  public:
    static constexpr UserLevel Service() { return UserLevel(0); }
    static constexpr UserLevel Distributor() { return UserLevel(1); }
    static constexpr UserLevel Controller() { return UserLevel(2); }
    static constexpr UserLevel Superadministrator() { return UserLevel(3); }
    static constexpr UserLevel Administrator() { return UserLevel(4); }
    static constexpr UserLevel NotLoggedIn() { return UserLevel(5); }
    static constexpr UserLevel Nobody() { return UserLevel(6); }

    // The level of an account as the device reports it: 0..4, nothing for any other number.
    static constexpr std::optional<UserLevel> FromAccount(std::int32_t level) {
        if (level < 0 || level > 4)
            return std::nullopt;
        return UserLevel(level);
    }

    // The number the device and the catalogue's access levels use.
    constexpr int Number() const { return level_; }

    constexpr bool LoggedIn() const { return level_ <= 4; }
    // Load and send settings, the Device menu, preset names and broadcast-wave metadata.
    constexpr bool MayTransferSettings() const { return level_ <= 4; }
    // Write the DEFAULT preset's own values; edit labels; the Administration menu: user
    // accounts and the firmware update.
    constexpr bool MayWriteDefaultPreset() const { return level_ <= 3; }
    constexpr bool MayAdministrate() const { return level_ <= 3; }
    // The Service menu: microphone calibration and the service-only level rows.
    constexpr bool MayUseServiceMenu() const { return level_ <= 2; }
    // Serial number, service notes and production test results.
    constexpr bool MayUseFactoryService() const { return level_ <= 1; }
    // A parameter of this access level may be edited and written.
    constexpr bool Allows(std::int32_t accessLevel) const { return accessLevel >= level_; }
    bool MayEdit(const SettingConstraint& entry) const;

    constexpr bool operator==(const UserLevel&) const = default;

  private:
    explicit constexpr UserLevel(int level) : level_(level) {}
    int level_;
};

// What the device is: not connected, the standard microphone, or the recorder variant
// (whose /tmp/hw_type reads 1), which has no choice of power source.
enum class HardwareClass { NotConnected, Standard, Recorder };

constexpr bool HasPowerSourceChoice(HardwareClass hardware) {
    return hardware != HardwareClass::Recorder;
}

// "Vyr", "Vyr Recorder", or "" when not connected.
std::string_view HardwareTypeName(HardwareClass hardware);

}  // namespace vyr
