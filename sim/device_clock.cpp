#include "sim/device_clock.h"

#include <ctime>

namespace vyrsim {

namespace {

// Local wall-clock time counted as if it were UTC, so that the offset is plain arithmetic
// without time-zone or daylight-saving jumps.
long long HostWallSeconds() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return static_cast<long long>(timegm(&local));
}

}  // namespace

std::string DeviceClock::Now() const {
    const auto device = static_cast<std::time_t>(HostWallSeconds() + offsetSeconds_);
    std::tm parts{};
    gmtime_r(&device, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d-%H:%M:%S", &parts);
    return text;
}

bool DeviceClock::Set(int year, int month, int day, int hour, int minute, int second) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    const std::tm wanted = parts;
    const std::time_t seconds = timegm(&parts);
    // timegm normalises out-of-range fields (31 April becomes 1 May): refuse those.
    if (parts.tm_year != wanted.tm_year || parts.tm_mon != wanted.tm_mon ||
        parts.tm_mday != wanted.tm_mday || parts.tm_hour != wanted.tm_hour ||
        parts.tm_min != wanted.tm_min || parts.tm_sec != wanted.tm_sec)
        return false;
    offsetSeconds_ = static_cast<long long>(seconds) - HostWallSeconds();
    return true;
}

}  // namespace vyrsim
