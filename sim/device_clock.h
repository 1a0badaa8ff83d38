// The device's real-time clock: the computer's local time plus an offset that "date -s" sets.
#pragma once

#include <string>

namespace vyrsim {

class DeviceClock {
  public:
    // The device time as its "date +%Y/%m/%d-%H:%M:%S" prints it.
    std::string Now() const;
    // Sets the device time; false (and nothing changed) for a date or time that does not exist.
    bool Set(int year, int month, int day, int hour, int minute, int second);

  private:
    long long offsetSeconds_ = 0;
};

}  // namespace vyrsim
