#include "device/firmware.h"

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
    switch (serial_link::RunCheckedCommand(hold, serial_link::tag::kUpdateCheck, line)) {
        case Answer::Silent:
            return FirmwareFile::NoAnswer;
        case Answer::Refused:
            return FirmwareFile::Absent;
        case Answer::Data:
            break;
    }
    const serial_link::RemoteRead read =
        serial_link::FetchRemoteFile(hold, kCheckFile, serial_link::Match::Loose);
    switch (read.answer) {
        case Answer::Silent:
            return FirmwareFile::NoAnswer;
        case Answer::Refused:
            return FirmwareFile::Absent;
        case Answer::Data:
            break;
    }
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
