#include "device/settings_backup.h"

#include "device/transfer.h"

namespace vyr {

BackupResult BackupSettings(DeviceConnection& connection, const std::string& path,
                            Progress& progress) {
    const SettingsModel start;
    LoadResult load = LoadFromDevice(connection, start.store, {}, progress);
    BackupResult backup;
    if (load.status != TransferStatus::Done) {
        backup.status = load.status == TransferStatus::Cancelled ? BackupStatus::Cancelled
                                                                 : BackupStatus::Failed;
        return backup;
    }
    backup.report = load.loaded->guard.Log();
    if (!load.unanswered.empty()) {
        backup.status = BackupStatus::Incomplete;
        backup.unanswered = std::move(load.unanswered);
        return backup;
    }
    backup.fileStatus = SaveSettingsStore(load.loaded->store, path, &backup.fileReason);
    backup.status =
        backup.fileStatus == SettingsFileStatus::Ok ? BackupStatus::Saved : BackupStatus::FileFailed;
    return backup;
}

}  // namespace vyr
