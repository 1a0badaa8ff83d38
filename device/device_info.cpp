#include "device/device_info.h"

#include <algorithm>
#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "settings/text.h"

namespace vyr {

namespace {

using serial_link::LinkHold;
using serial_link::Match;

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

// Reads the device information's files, each under its own hold of the link lock. Once one
// read goes unanswered the device is taken as gone: every later read of the same tick fails
// at once instead of waiting out its attempts.
class DeviceInformation::Reader {
  public:
    explicit Reader(DeviceConnection& connection) : connection_(connection) {}

    bool Silent() const { return silent_; }
    // The files that got no answer, and those not asked for once the device fell silent.
    std::vector<std::string> TakeMissed() { return std::move(missed_); }

    // Trailing white space trimmed. A control character inside (a line end, an escape)
    // becomes "_": every value stays one line of plain text, on the clipboard and on a
    // terminal alike.
    std::optional<std::string> Text(const char* path) {
        if (silent_) {
            missed_.emplace_back(path);
            return std::nullopt;
        }
        LinkHold hold(connection_.link);
        const serial_link::RemoteRead read = serial_link::FetchRemoteFile(hold, path, Match::Loose);
        silent_ = read.answer == serial_link::Answer::Silent;
        if (silent_)
            missed_.emplace_back(path);
        if (read.answer != serial_link::Answer::Data)
            return std::nullopt;
        std::string value(TrimTrailingBlanks(read.text));
        for (char& c : value) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte == 0x7F)
                c = '_';
        }
        return value;
    }

    // Reads an unsigned decimal into `value`; a failed read, or one without leading digits,
    // leaves it as it was.
    void Unsigned(const char* path, std::uint32_t& value) {
        const auto text = Text(path);
        if (!text || text->empty() || !std::isdigit(static_cast<unsigned char>((*text)[0])))
            return;
        value = static_cast<std::uint32_t>(
            std::min<std::int64_t>(ReadLeadingInteger(*text), std::int64_t{UINT32_MAX}));
    }

    HardwareClass Hardware() {
        serial_link::Answer answer = serial_link::Answer::Silent;
        const HardwareClass hardware =
            silent_ ? HardwareClass::Standard : ReadHardwareClass(connection_, &answer);
        silent_ = answer == serial_link::Answer::Silent;
        if (silent_)
            missed_.emplace_back(kHardwareTypePath);
        return hardware;
    }

  private:
    DeviceConnection& connection_;
    bool silent_ = false;
    std::vector<std::string> missed_;
};

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
    std::snprintf(text, sizeof text, "%3" PRIu32 "%% :: 0x%.4" PRIx32 " :: 0x%.4" PRIx32, percent,
                  voltage, calibration);
    return text;
}

std::string DeviceInformation::CapsuleLine(const std::string& type, std::uint32_t voltage,
                                           std::uint32_t calibration) {
    std::string upper = type;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    char text[256];
    std::snprintf(text, sizeof text, "%3s  :: 0x%.4" PRIx32 " :: 0x%.4" PRIx32, upper.c_str(),
                  voltage, calibration);
    return text;
}

void DeviceInformation::ReadIdentity(Reader& read) {
    values_[Hardware] = read.Text("/chroma/hw_version").value_or("undefined");
    values_[Serial] = read.Text("/chroma/serialnumber").value_or("undefined");
    const std::string fw = read.Text("/chroma/fw_version").value_or("undefined");
    const std::string firmware = read.Text("/chroma/firmware_version").value_or("undefined");
    values_[Firmware] = firmware + " - " + fw;
    values_[Type] = HardwareTypeName(read.Hardware());
    for (std::size_t i = 0; i < calibration_.size(); ++i)
        read.Unsigned(kCalibrationFiles[i], calibration_[i]);
}

bool DeviceInformation::Tick(DeviceConnection& connection) {
    Reader read(connection);
    if (identityPending_) {
        identityPending_ = false;
        ReadIdentity(read);
    }
    for (std::size_t i = 0; i < std::size(kPowerSources); ++i) {
        std::uint32_t voltage = 0, percent = 0;
        read.Unsigned(kPowerSources[i].voltage, voltage);
        read.Unsigned(kPowerSources[i].percent, percent);
        values_[kPowerSources[i].line] = PowerLine(percent, voltage, calibration_[i]);
    }
    std::uint32_t voltage = 0;
    read.Unsigned("/tmp/caps_voltage", voltage);
    const std::string type = read.Text("/chroma/mics/current_mic").value_or("?");
    values_[Capsule] = CapsuleLine(type, voltage, calibration_[2]);
    unanswered_ = read.TakeMissed();
    return !read.Silent();
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
