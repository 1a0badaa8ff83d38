// vyrctl device OPTIONS firmware | firmware --start (--backup FILE | --no-backup)
//
// The start checks for the firmware file first, then makes the backup when asked, and starts
// the update only when the backup is complete on disk: an update destroys the settings.
#include "cli/firmware_command.h"

#include <ostream>

#include "device/firmware.h"

namespace vyr::cli {

int ParseFirmware(const CommandInput& input, FirmwarePlan& plan, Streams io) {
    const Arguments args = input.args;
    bool noBackup = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--start") {
            plan.start = true;
        } else if (args[i] == "--no-backup") {
            noBackup = true;
        } else if (args[i] == "--backup" && i + 1 < args.size()) {
            plan.backup = std::string(args[++i]);
        } else {
            return UsageError(io,
                              args[i] == "--backup"
                                  ? std::string("--backup needs a FILE")
                                  : "unknown argument '" + std::string(args[i]) + "' of firmware");
        }
    }
    const bool chosen = plan.backup.has_value() != noBackup;
    if (plan.start ? !chosen : (plan.backup || noBackup)) {
        return UsageError(io, plan.start
                                  ? "firmware --start needs either --backup FILE or --no-backup"
                                  : "--backup and --no-backup go with firmware --start");
    }
    return plan.backup ? RequireEachDeviceFile(input.ports, *plan.backup, io) : kExitDone;
}

namespace {

// The backup before the update; kExitDone only when it is complete and lacks no value.
int BackUp(const std::string& pattern, DeviceSession& session) {
    std::string path;
    if (const int status = session.TargetFile(pattern, path); status != kExitDone)
        return status;
    BarProgress bar(session.io());
    const BackupResult backup = BackupSettings(session.connection(), path, bar);
    bar.EndLine();
    // A backup holding defaults for values the device lacks may be an empty device's:
    // the update would destroy the settings it failed to save.
    if (const int status = session.ReportBackup(backup, path); status != kExitDone) {
        session.io().err << "vyrctl: " << session.port()
                         << ": no complete backup; update not started\n";
        return status;
    }
    return kExitDone;
}

}  // namespace

int RunFirmware(const FirmwarePlan& plan, DeviceSession& session) {
    if (const int status = session.Open(&UserLevel::MayAdministrate); status != kExitDone)
        return status;
    DeviceConnection& connection = session.connection();
    const FirmwareFile file = CheckFirmwareFile(connection);
    if (file == FirmwareFile::NoAnswer)
        return session.Failed("the device did not answer the firmware check");
    if (!plan.start) {
        session.io().out << (file == FirmwareFile::Present ? "present" : "absent") << '\n';
        return file == FirmwareFile::Present ? kExitDone : kExitAnswerNo;
    }
    if (file != FirmwareFile::Present) {
        session.io().err << "vyrctl: " << session.port() << ": no firmware file " << kFirmwarePath
                         << " on the device; nothing started\n";
        return kExitAnswerNo;
    }
    if (plan.backup) {
        if (const int status = BackUp(*plan.backup, session); status != kExitDone)
            return status;
    }
    if (!StartFirmwareUpdate(connection))
        return session.Failed("the update could not be started");
    session.io().err << "vyrctl: " << session.port()
                     << ": firmware update started; the device shuts down when it is done\n";
    Disconnect(connection);
    return kExitDone;
}

}  // namespace vyr::cli
