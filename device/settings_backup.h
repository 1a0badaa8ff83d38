// A backup of the device's settings in a settings file: all presets loaded, then written.
#pragma once

#include <string>
#include <vector>

#include "device/connection.h"
#include "device/progress.h"
#include "settings/settings_file.h"

namespace vyr {

enum class BackupStatus {
    Saved,
    Incomplete,  // some values got no answer: nothing written
    Failed,      // the device stopped answering: nothing written
    Cancelled,   // nothing written
    FileFailed,  // loaded, but the file could not be written
};

struct BackupResult {
    BackupStatus status = BackupStatus::Failed;
    // With Incomplete: the values without an answer ("key, PRESET n").
    std::vector<std::string> unanswered;
    // What the load repaired or found missing on the device (with Saved, Incomplete and
    // FileFailed).
    std::wstring report;
    // With FileFailed: the file's status and the system's reason.
    SettingsFileStatus fileStatus = SettingsFileStatus::Ok;
    std::string fileReason;
};

// Loads all presets from the device and writes them to `path`. The file is written only when
// every value was answered; otherwise an existing file stays untouched.
BackupResult BackupSettings(DeviceConnection& connection, const std::string& path,
                            Progress& progress);

}  // namespace vyr
