#include "device_session.h"

#include <cstdio>
#include <ctime>

#include "link/protocol.h"
#include "text.h"

namespace vyr {

using serial_link::LinkHold;
using serial_link::Match;

namespace {

// Room in the frame: the name holds "/chroma/users/" and the user, the payload the password,
// each with a NUL.
constexpr std::size_t kMaxUserName = serial_link::kNameSize - 1 - serial_link::path::kUsers.size();
constexpr std::size_t kMaxPassword = serial_link::kPayloadSize - 1;

}  // namespace

LoginResult Login(serial_link::Link& link, std::wstring_view user, std::wstring_view password) {
    const std::string name = NarrowSettingText(user, NarrowMode::Replace);
    const std::string secret = NarrowSettingText(password, NarrowMode::Replace);
    if (name.size() > kMaxUserName || secret.size() > kMaxPassword)
        return {LoginStatus::TooLong, link.UserLevel()};
    const auto level = serial_link::LoginUser(link, name, secret);
    if (!level)
        return {LoginStatus::Refused, link.UserLevel()};
    link.SetUserLevel(*level);
    return {LoginStatus::Accepted, *level};
}

int ReadHardwareClass(serial_link::Link& link) {
    LinkHold hold(link);
    const long flag = serial_link::ReadRemoteNumber(hold, "/tmp/hw_type", 0, false, Match::Strict);
    return flag == 1 ? kHardwareClassRecorder : kHardwareClassStandard;
}

std::string_view HardwareTypeName(int hardwareClass) {
    if (hardwareClass == kHardwareClassRecorder)
        return "Vyr Recorder";
    if (hardwareClass == kHardwareClassStandard)
        return "Vyr";
    return "";
}

DateTime LocalNow() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = *std::localtime(&now);
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

void SetDeviceClock(serial_link::Link& link, bool connected, const DateTime& when) {
    if (!connected)
        return;
    LinkHold hold(link);
    serial_link::RunRemoteCommand(hold, serial_link::tag::kSetTime, SetTimeCommandLine(when), true);
}

bool DeviceWantsClockSync(serial_link::Link& link) {
    LinkHold hold(link);
    const std::string path = std::string(serial_link::path::kSettings) + "current/rtc_autosync";
    return serial_link::ReadRemoteNumber(hold, path, 0, true, Match::Loose) == 1;
}

bool ClockCheck(serial_link::Link& link, bool connected) {
    if (!DeviceWantsClockSync(link))
        return false;
    SetDeviceClock(link, connected, LocalNow());
    return connected;
}

std::optional<std::string> ReadDeviceTime(serial_link::Link& link) {
    LinkHold hold(link);
    serial_link::RunRemoteCommand(hold, serial_link::tag::kTempTime,
                                  "date +%Y/%m/%d-%H:%M:%S > /tmp/datestring", false);
    return serial_link::ReadRemoteFile(hold, "/tmp/datestring", Match::Loose);
}

}  // namespace vyr
