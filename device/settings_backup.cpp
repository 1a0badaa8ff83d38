#include "device/settings_backup.h"

#include <filesystem>

#include "device/transfer.h"
#include "settings/file_io.h"

namespace vyr {

BackupResult BackupSettings(DeviceConnection& connection, const std::string& path,
                            Progress& progress, bool replaceWhenLacking) {
    const SettingsModel start;
    LoadResult load = LoadFromDevice(connection, start.store, {}, progress);
    BackupResult backup;
    if (load.status != TransferStatus::Done) {
        backup.status = load.status == TransferStatus::Cancelled ? BackupStatus::Cancelled
                                                                 : BackupStatus::Failed;
        return backup;
    }
    backup.guard = load.loaded->guard;
    if (!load.unanswered.empty()) {
        backup.status = BackupStatus::Incomplete;
        backup.unanswered = ValueNames(load.loaded->store.Catalogue(), load.unanswered);
        return backup;
    }
    backup.absent = ValueNames(load.loaded->store.Catalogue(), load.absent);
    std::error_code error;
    if (!backup.absent.empty() && !replaceWhenLacking &&
        std::filesystem::exists(FilePath(path), error)) {
        backup.status = BackupStatus::Kept;
        return backup;
    }
    backup.fileStatus = SaveSettingsStore(load.loaded->store, path, &backup.fileReason);
    backup.status =
        backup.fileStatus == SettingsFileStatus::Ok ? BackupStatus::Saved : BackupStatus::FileFailed;
    return backup;
}

}  // namespace vyr
