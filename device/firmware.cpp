#include "device/firmware.h"

#include <optional>
#include <string>

#include "settings/text.h"

namespace vyr {

using serial_link::Answer;
using serial_link::LinkHold;

namespace {

constexpr std::string_view kCheckFile = "/tmp/update_check";
constexpr std::string_view kUpdateScript = "update_firmware";

}  // namespace

FirmwareFile CheckFirmwareFile(DeviceConnection& connection) {
    const std::string line =
        "ls " + std::string(kFirmwarePath) + " > " + std::string(kCheckFile);
    LinkHold hold(connection.link);
    // Silence is a communication error; a refusal of the listing or of its result means the
    // device found no file.
    const auto unless = [](Answer answer) -> std::optional<FirmwareFile> {
        if (answer == Answer::Data)
            return std::nullopt;
        return answer == Answer::Silent ? FirmwareFile::NoAnswer : FirmwareFile::Absent;
    };
    if (const auto ended =
            unless(serial_link::RunCheckedCommand(hold, serial_link::tag::kUpdateCheck, line)))
        return *ended;
    const serial_link::RemoteRead read =
        serial_link::FetchRemoteFile(hold, kCheckFile, serial_link::Match::Loose);
    if (const auto ended = unless(read.answer))
        return *ended;
    return TrimTrailingBlanks(read.text) == kFirmwarePath ? FirmwareFile::Present
                                                           : FirmwareFile::Absent;
}

bool StartFirmwareUpdate(DeviceConnection& connection) {
    // The request keeps the name of the check's read, as the device has always received it.
    serial_link::CommandFrame frame;
    const std::string script = std::string(serial_link::path::kScripts) + std::string(kUpdateScript);
    if (!serial_link::BuildTextFrame(frame, serial_link::kRunCommand, kCheckFile, script))
        return false;
    LinkHold hold(connection.link);
    return serial_link::protocol::send_command(connection.link, frame) == 1;
}

}  // namespace vyr
