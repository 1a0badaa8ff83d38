// What the device is and how its power sources stand: the device information texts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "device/connection.h"

namespace vyr {

class DeviceInformation {
  public:
    // The seven lines in display order.
    enum Line { Firmware, Hardware, Serial, Type, Internal, Battery, Capsule, kLineCount };

    DeviceInformation() { Reset(); }

    // Clears the texts; the next Tick reads the identity again.
    void Reset();
    // One measurement tick. Each value is read on its own: the identity values (versions,
    // serial number, hardware type, calibrations) until the device has answered each once,
    // the power lines every tick. A value the device leaves unanswered shows "undefined" (a
    // calibration 0, a measurement zeros) and is asked for again on the next tick, while the
    // values after it are still read. Once the device is gone (the link finds it vanished, or
    // three reads in a row go unanswered), the rest are not sent: a device that is gone costs
    // at most three reads' time-outs, not fourteen. False when some value got no answer.
    bool Tick(DeviceConnection& connection);

    static const char* Caption(Line line);
    const std::string& Value(Line line) const { return values_[line]; }
    // The device files the last tick got no answer for, in reading order: a value shown from
    // them ("undefined", zeros) is not the device's.
    const std::vector<std::string>& Unanswered() const { return unanswered_; }

    // Seven lines "caption \tvalue" separated by line feeds, none after the last; each value
    // passed through `shown` when given (a terminal's filter).
    std::string ClipboardText(std::string (*shown)(std::string_view) = nullptr) const;

    // The measurement lines, e.g. " 87% :: 0x0a2f :: 0x03e8".
    static std::string PowerLine(std::uint32_t percent, std::uint32_t voltage,
                                 std::uint32_t calibration);
    static std::string CapsuleLine(const std::string& type, std::uint32_t voltage,
                                   std::uint32_t calibration);

  private:
    class Reader;
    // The identity files, each read until the device has answered it once.
    enum Identity {
        kHwVersion,
        kSerialNumber,
        kFwVersion,
        kFirmwareVersion,
        kHwType,
        kInternalCalibration,
        kBatteryCalibration,
        kCapsuleCalibration,
        kIdentityCount
    };
    void ReadIdentity(Reader& read);

    std::array<std::string, kLineCount> values_;
    std::array<bool, kIdentityCount> answered_{};
    std::string fwVersion_, firmwareVersion_;     // the two halves of the firmware line
    std::array<std::uint32_t, 3> calibration_{};  // internal, battery, capsule
    std::vector<std::string> unanswered_;
};

}  // namespace vyr
