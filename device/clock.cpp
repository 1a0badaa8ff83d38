#include "device/clock.h"

#include <cstdio>
#include <ctime>

#include "settings/text.h"

namespace vyr {

using serial_link::LinkHold;
using serial_link::Match;

namespace {

constexpr std::string_view kDateCommand = "date +%Y/%m/%d-%H:%M:%S > /tmp/datestring";

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Both forms: four-digit year, then two digits each, with the given separators.
std::optional<DateTime> ParseTime(std::string_view text, char date, char middle) {
    if (text.size() != 19 || text[4] != date || text[7] != date || text[10] != middle ||
        text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    int fields[6] = {};
    constexpr std::size_t kAt[] = {0, 5, 8, 11, 14, 17};
    for (int i = 0; i < 6; ++i) {
        const std::size_t length = i == 0 ? 4 : 2;
        const std::string_view digits = text.substr(kAt[i], length);
        for (char c : digits) {
            if (c < '0' || c > '9')
                return std::nullopt;  // no signs or blanks inside a field
        }
        fields[i] = *ParseWholeInteger(digits);
    }
    const DateTime when{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
    if (when.month < 1 || when.month > 12 || when.day < 1 ||
        when.day > DaysInMonth(when.year, when.month) || when.hour > 23 || when.minute > 59 ||
        when.second > 59) {
        return std::nullopt;
    }
    return when;
}

}  // namespace

DateTime LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string SetTimeCommandLine(const DateTime& when) {
    char line[96];
    std::snprintf(line, sizeof line, "date -s %04d.%02d.%02d-%02d:%02d:%02d; %ssync_with_rtc",
                  when.year, when.month, when.day, when.hour, when.minute, when.second,
                  serial_link::path::kScripts.data());
    return line;
}

bool SetDeviceClock(DeviceConnection& connection, const DateTime& when) {
    LinkHold hold(connection.link);
    return serial_link::RunRemoteCommand(hold, serial_link::tag::kSetTime,
                                         SetTimeCommandLine(when), true);
}

bool DeviceWantsClockSync(DeviceConnection& connection) {
    LinkHold hold(connection.link);
    const std::string path = std::string(serial_link::path::kSettings) + "current/rtc_autosync";
    return ReadRemoteNumber(hold, path, 0, true, Match::Loose) == 1;
}

bool ClockCheck(DeviceConnection& connection) {
    if (!DeviceWantsClockSync(connection))
        return false;
    SetDeviceClock(connection, LocalNow());
    return true;
}

std::optional<std::string> ReadDeviceTime(DeviceConnection& connection) {
    LinkHold hold(connection.link);
    if (!serial_link::RunRemoteCommand(hold, serial_link::tag::kTempTime, kDateCommand, false))
        return std::nullopt;
    const auto text = serial_link::ReadRemoteFile(hold, "/tmp/datestring", Match::Loose);
    if (!text)
        return std::nullopt;
    return std::string(TrimTrailingBlanks(*text));
}

std::optional<DateTime> ParseDeviceTime(std::string_view text) {
    return ParseTime(text, '/', '-');
}

std::optional<DateTime> ParseIsoTime(std::string_view text) {
    return ParseTime(text, '-', 'T');
}

std::string FormatIsoTime(const DateTime& when) {
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", when.year, when.month,
                  when.day, when.hour, when.minute, when.second);
    return text;
}

}  // namespace vyr
