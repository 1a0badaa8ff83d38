// What the device is and how its power sources stand: the device information texts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
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
    // One measurement tick: the identity first when a reset asked for it, then the three
    // power lines. A read the device does not answer at all ends the reading: the reads after
    // it count as failed without being sent, so a device that is gone costs one read's
    // time-out, not thirteen. False when that happened.
    bool Tick(DeviceConnection& connection);

    static const char* Caption(Line line);
    const std::string& Value(Line line) const { return values_[line]; }
    // The device files the last tick got no answer for, in reading order: a value shown from
    // them ("undefined", zeros) is not the device's.
    const std::vector<std::string>& Unanswered() const { return unanswered_; }
    bool IdentityPending() const { return identityPending_; }

    // Seven lines "caption \tvalue" separated by line feeds, none after the last.
    std::string ClipboardText() const;

    // The measurement lines, e.g. " 87% :: 0x0a2f :: 0x03e8".
    static std::string PowerLine(std::uint32_t percent, std::uint32_t voltage,
                                 std::uint32_t calibration);
    static std::string CapsuleLine(const std::string& type, std::uint32_t voltage,
                                   std::uint32_t calibration);

  private:
    class Reader;
    void ReadIdentity(Reader& read);

    std::array<std::string, kLineCount> values_;
    bool identityPending_ = true;
    std::array<std::uint32_t, 3> calibration_{};  // internal, battery, capsule
    std::vector<std::string> unanswered_;
};

}  // namespace vyr
