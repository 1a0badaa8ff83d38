// The device's clock: reading it, setting it from the computer, and the texts it is shown in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "device/connection.h"

namespace vyr {

struct DateTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;

    bool operator==(const DateTime&) const = default;
};

DateTime LocalNow();

// The shell line that sets the device clock and its real-time clock.
std::string SetTimeCommandLine(const DateTime& when);

// Sets the device clock; true when the device answered.
bool SetDeviceClock(DeviceConnection& connection, const DateTime& when);

// True when the device asks to have its clock set at login (current rtc_autosync is 1).
bool DeviceWantsClockSync(DeviceConnection& connection);

// After a login: sets the device clock from the computer when the device asks for it.
// True when it was set.
bool ClockCheck(DeviceConnection& connection);

// The device's date and time as its date command prints it (YYYY/MM/DD-hh:mm:ss, trailing
// white space removed). Nothing when the date command was not answered, so that an earlier
// result left on the device is never taken for the current time.
std::optional<std::string> ReadDeviceTime(DeviceConnection& connection);

// "YYYY/MM/DD-hh:mm:ss" (the device's date output) and "YYYY-MM-DDThh:mm:ss" (what vyrctl
// prints and accepts): nothing unless the text is exactly that form with a valid date.
std::optional<DateTime> ParseDeviceTime(std::string_view text);
std::optional<DateTime> ParseIsoTime(std::string_view text);
std::string FormatIsoTime(const DateTime& when);

}  // namespace vyr
