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

// In the order of DeviceInformation::Identity.
constexpr const char* kIdentityFiles[] = {
    "/chroma/hw_version", "/chroma/serialnumber", "/chroma/fw_version", "/chroma/firmware_version",
    kHardwareTypePath,    "/tmp/accu_cal",        "/tmp/batt_cal",      "/tmp/caps_cal"};

constexpr const char* kUndefined = "undefined";

// Three reads in a row without an answer: the device is taken as gone for the rest of the
// tick, as a transfer takes it.
constexpr int kSilentReadsToGiveUp = 3;

}  // namespace

// Reads the device information's files, each under its own hold of the link lock. Once the
// device is gone (the link says so, or three reads in a row went unanswered), the reads after
// it are not sent and count as unanswered.
class DeviceInformation::Reader {
  public:
    explicit Reader(DeviceConnection& connection) : connection_(connection) {}

    // The last read got an answer: the file, or the device's word that it has none.
    bool Answered() const { return answered_; }
    // The files that got no answer, and those not asked for once the device was gone.
    std::vector<std::string> TakeMissed() { return std::move(missed_); }

    // Trailing white space trimmed. A control character inside (a line end, an escape)
    // becomes "_": every value stays one line of plain text, on the clipboard and on a
    // terminal alike.
    std::optional<std::string> Text(const char* path) {
        if (!Ask(path))
            return std::nullopt;
        LinkHold hold(connection_.link);
        const serial_link::RemoteRead read = serial_link::FetchRemoteFile(hold, path, Match::Loose);
        Note(path, read.answer);
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
        if (!Ask(kHardwareTypePath))
            return HardwareClass::Standard;
        serial_link::Answer answer = serial_link::Answer::Silent;
        const HardwareClass hardware = ReadHardwareClass(connection_, &answer);
        Note(kHardwareTypePath, answer);
        return hardware;
    }

  private:
    // False, the read counted as unanswered, when the device is gone: it is not asked.
    bool Ask(const char* path) {
        const serial_link::Link& link = connection_.link;
        if (silentInRow_ < kSilentReadsToGiveUp && link.IsOpen() && !link.Vanished())
            return true;
        answered_ = false;
        missed_.emplace_back(path);
        return false;
    }
    void Note(const char* path, serial_link::Answer answer) {
        answered_ = answer != serial_link::Answer::Silent;
        silentInRow_ = answered_ ? 0 : silentInRow_ + 1;
        if (!answered_)
            missed_.emplace_back(path);
    }

    DeviceConnection& connection_;
    bool answered_ = false;
    int silentInRow_ = 0;
    std::vector<std::string> missed_;
};

const char* DeviceInformation::Caption(Line line) {
    static constexpr const char* kCaptions[kLineCount] = {
        "Firmware version:", "Hardware revision:", "Serial number:", "Hardware type:",
        "Internal:",         "Battery:",           "Capsule:"};
    return kCaptions[line];
}

void DeviceInformation::Reset() {
    answered_.fill(false);
    calibration_.fill(0);
    values_.fill("");
    values_[Firmware] = "...";
    fwVersion_ = firmwareVersion_ = kUndefined;
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
    // Reads `file` with `readFile` unless the device has answered it before.
    const auto once = [&](int file, const auto& readFile) {
        if (answered_[file])
            return;
        readFile(kIdentityFiles[file]);
        answered_[file] = read.Answered();
    };
    std::string* const texts[] = {&values_[Hardware], &values_[Serial], &fwVersion_,
                                  &firmwareVersion_};
    for (int file = kHwVersion; file <= kFirmwareVersion; ++file)
        once(file, [&](const char* path) { *texts[file] = read.Text(path).value_or(kUndefined); });
    values_[Firmware] = firmwareVersion_ + " - " + fwVersion_;
    once(kHwType, [&](const char*) { values_[Type] = HardwareTypeName(read.Hardware()); });
    for (std::size_t i = 0; i < calibration_.size(); ++i) {
        once(kInternalCalibration + static_cast<int>(i),
             [&](const char* path) { read.Unsigned(path, calibration_[i]); });
    }
}

bool DeviceInformation::Tick(DeviceConnection& connection) {
    Reader read(connection);
    ReadIdentity(read);
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
    return unanswered_.empty();
}

std::string DeviceInformation::ClipboardText(std::string (*shown)(std::string_view)) const {
    std::string text;
    for (int line = 0; line < kLineCount; ++line) {
        if (line > 0)
            text += '\n';
        text += Caption(static_cast<Line>(line));
        text += " \t";
        text += shown != nullptr ? shown(values_[line]) : values_[line];
    }
    return text;
}

}  // namespace vyr
