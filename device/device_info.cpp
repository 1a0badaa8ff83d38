#include "device/device_info.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>

#include "settings/text.h"

namespace vyr {

namespace {

using serial_link::LinkHold;
using serial_link::Match;

// Each read under its own hold of the link lock; trailing white space trimmed. A control
// character inside (a line end, an escape) becomes "_": every value stays one line of plain
// text, on the clipboard and on a terminal alike.
std::optional<std::string> ReadText(serial_link::Link& link, const char* path) {
    LinkHold hold(link);
    auto text = serial_link::ReadRemoteFile(hold, path, Match::Loose);
    if (!text)
        return std::nullopt;
    std::string value(TrimTrailingBlanks(*text));
    for (char& c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = '_';
    }
    return value;
}

// Reads an unsigned decimal into `value`; a failed read, or one without leading digits,
// leaves it as it was.
void ReadUnsigned(serial_link::Link& link, const char* path, std::uint32_t& value) {
    const auto text = ReadText(link, path);
    if (!text || text->empty() || !std::isdigit(static_cast<unsigned char>((*text)[0])))
        return;
    value = static_cast<std::uint32_t>(
        std::min<std::int64_t>(ReadLeadingInteger(*text), std::int64_t{UINT32_MAX}));
}

struct PowerSource {
    DeviceInformation::Line line;
    const char* voltage;
    const char* percent;
};

constexpr PowerSource kPowerSources[] = {
    {DeviceInformation::Internal, "/tmp/accu_voltage", "/tmp/power_accu"},
    {DeviceInformation::Battery, "/tmp/batt_voltage", "/tmp/power_batt"},
};

constexpr const char* kCalibrationFiles[] = {"/tmp/accu_cal", "/tmp/batt_cal", "/tmp/caps_cal"};

}  // namespace

const char* DeviceInformation::Caption(Line line) {
    static constexpr const char* kCaptions[kLineCount] = {
        "Firmware version:", "Hardware revision:", "Serial number:", "Hardware type:",
        "Internal:",         "Battery:",           "Capsule:"};
    return kCaptions[line];
}

void DeviceInformation::Reset() {
    identityPending_ = true;
    calibration_.fill(0);
    values_.fill("");
    values_[Firmware] = "...";
}

std::string DeviceInformation::PowerLine(std::uint32_t percent, std::uint32_t voltage,
                                         std::uint32_t calibration) {
    char text[64];
    std::snprintf(text, sizeof text, "%3lu%% :: 0x%.4lx :: 0x%.4lx",
                  static_cast<unsigned long>(percent), static_cast<unsigned long>(voltage),
                  static_cast<unsigned long>(calibration));
    return text;
}

std::string DeviceInformation::CapsuleLine(const std::string& type, std::uint32_t voltage,
                                           std::uint32_t calibration) {
    std::string upper = type;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    char text[256];
    std::snprintf(text, sizeof text, "%3s  :: 0x%.4lx :: 0x%.4lx", upper.c_str(),
                  static_cast<unsigned long>(voltage), static_cast<unsigned long>(calibration));
    return text;
}

void DeviceInformation::ReadIdentity(DeviceConnection& connection) {
    serial_link::Link& link = connection.link;
    values_[Hardware] = ReadText(link, "/chroma/hw_version").value_or("undefined");
    values_[Serial] = ReadText(link, "/chroma/serialnumber").value_or("undefined");
    const std::string fw = ReadText(link, "/chroma/fw_version").value_or("undefined");
    const std::string firmware = ReadText(link, "/chroma/firmware_version").value_or("undefined");
    values_[Firmware] = firmware + " - " + fw;
    values_[Type] = HardwareTypeName(ReadHardwareClass(connection));
    for (std::size_t i = 0; i < calibration_.size(); ++i)
        ReadUnsigned(link, kCalibrationFiles[i], calibration_[i]);
}

void DeviceInformation::Tick(DeviceConnection& connection) {
    serial_link::Link& link = connection.link;
    if (identityPending_) {
        identityPending_ = false;
        ReadIdentity(connection);
    }
    for (std::size_t i = 0; i < std::size(kPowerSources); ++i) {
        std::uint32_t voltage = 0, percent = 0;
        ReadUnsigned(link, kPowerSources[i].voltage, voltage);
        ReadUnsigned(link, kPowerSources[i].percent, percent);
        values_[kPowerSources[i].line] = PowerLine(percent, voltage, calibration_[i]);
    }
    std::uint32_t voltage = 0;
    ReadUnsigned(link, "/tmp/caps_voltage", voltage);
    const std::string type = ReadText(link, "/chroma/mics/current_mic").value_or("?");
    values_[Capsule] = CapsuleLine(type, voltage, calibration_[2]);
}

std::string DeviceInformation::ClipboardText() const {
    std::string text;
    for (int line = 0; line < kLineCount; ++line) {
        if (line > 0)
            text += '\n';
        text += Caption(static_cast<Line>(line));
        text += " \t";
        text += values_[line];
    }
    return text;
}

}  // namespace vyr
