// The firmware update: whether the device holds a firmware file, and starting its update
// script.
#pragma once

#include <string_view>

#include "device/connection.h"

namespace vyr {

// Where the user places the firmware image, in the device's mass-storage area.
inline constexpr std::string_view kFirmwarePath = "/mnt/vyr/firmware.cup";

enum class FirmwareFile {
    Present,
    Absent,
    NoAnswer,  // the check was not answered: nothing is known
};

// Lists the firmware path into /tmp/update_check on the device, then reads that file. The
// output file counts only when the listing line was confirmed, so that the result of an
// earlier check is never taken for this one; a listing the device refused means no file.
FirmwareFile CheckFirmwareFile(DeviceConnection& connection);

// Starts the device's update script. The device answers nothing and shuts down when the
// update is done, so the caller disconnects. False when the request could not be sent.
bool StartFirmwareUpdate(DeviceConnection& connection);

}  // namespace vyr
