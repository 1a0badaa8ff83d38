// Exchanges of a connection besides the settings: login, hardware class, device clock.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/link.h"

namespace vyr {

enum class LoginStatus { Accepted, Refused, TooLong };

struct LoginResult {
    LoginStatus status = LoginStatus::Refused;
    int level = 6;
};

// Sends the login with both texts held to the device's repertoire. A user name or password
// that does not fit the frame is refused before anything is sent. On acceptance the link's
// user level becomes the user's level.
LoginResult Login(serial_link::Link& link, std::wstring_view user, std::wstring_view password);

inline constexpr int kHardwareClassOffline = 1;
inline constexpr int kHardwareClassStandard = 2;
inline constexpr int kHardwareClassRecorder = 4;

// 4 when the device's /tmp/hw_type reads 1, else 2.
int ReadHardwareClass(serial_link::Link& link);
std::string_view HardwareTypeName(int hardwareClass);

struct DateTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

DateTime LocalNow();

// The shell line that sets the device clock and its real-time clock.
std::string SetTimeCommandLine(const DateTime& when);

// Sets the device clock; does nothing unless connected.
void SetDeviceClock(serial_link::Link& link, bool connected, const DateTime& when);

// True when the device asks to have its clock set at login (current rtc_autosync is 1).
bool DeviceWantsClockSync(serial_link::Link& link);

// After a login: sets the device clock from the computer when the device asks for it.
// True when it was set.
bool ClockCheck(serial_link::Link& link, bool connected);

// The device's date and time as its date command prints it (YYYY/MM/DD-hh:mm:ss).
std::optional<std::string> ReadDeviceTime(serial_link::Link& link);

}  // namespace vyr
