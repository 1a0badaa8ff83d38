// A backup of the device's settings in a settings file: all presets loaded, then written.
#pragma once

#include <string>
#include <vector>

#include "device/connection.h"
#include "device/progress.h"
#include "settings/guard.h"
#include "settings/settings_file.h"

namespace vyr {

enum class BackupStatus {
    Saved,       // written; `absent` names the values the device said it does not hold
    Kept,        // complete, but the device lacks values: an existing file stays untouched
    Incomplete,  // some values got no answer: nothing written
    Failed,      // the device stopped answering: nothing written
    Cancelled,   // nothing written
    FileFailed,  // loaded, but the file could not be written
};

struct BackupResult {
    BackupStatus status = BackupStatus::Failed;
    // With Incomplete: the values without an answer ("key, PRESET n").
    std::vector<std::string> unanswered;
    // The values the device answered as not present ("key, PRESET n"): the file holds their
    // defaults.
    std::vector<std::string> absent;
    // What the load repaired or found missing on the device (with Saved, Kept, Incomplete
    // and FileFailed).
    GuardLog guard;
    // With FileFailed: the file's status and the system's reason.
    SettingsFileStatus fileStatus = SettingsFileStatus::Ok;
    std::string fileReason;
};

// Loads all presets from the device and writes them to `path`. The file is written only when
// every value was answered; otherwise an existing file stays untouched. A backup in which the
// device lacks values replaces an existing file only with `replaceWhenLacking`: it may be an
// empty device's defaults about to overwrite a good backup.
BackupResult BackupSettings(DeviceConnection& connection, const std::string& path,
                            Progress& progress, bool replaceWhenLacking = false);

}  // namespace vyr
