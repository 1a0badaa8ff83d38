// vyrctl device OPTIONS firmware | firmware --start (--backup FILE | --no-backup)
//
// The start checks for the firmware file first, then makes the backup when asked, and starts
// the update only when the backup is complete on disk: an update destroys the settings.
#include <optional>
#include <ostream>

#include "cli/admin_commands.h"
#include "device/firmware.h"

namespace vyr::cli {

namespace {

struct StartOptions {
    bool start = false;
    std::optional<std::string> backup;  // none with --no-backup
    bool noBackup = false;
};

std::optional<StartOptions> ParseFirmwareOptions(const DeviceOptions& options, Streams io) {
    StartOptions parsed;
    const auto& args = options.args;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--start") {
            parsed.start = true;
        } else if (args[i] == "--no-backup") {
            parsed.noBackup = true;
        } else if (args[i] == "--backup" && i + 1 < args.size()) {
            parsed.backup = std::string(args[++i]);
        } else {
            UsageError(io, args[i] == "--backup" ? std::string("--backup needs a FILE")
                                                 : "unknown argument '" + std::string(args[i]) +
                                                       "' of firmware");
            return std::nullopt;
        }
    }
    const bool chosen = parsed.backup.has_value() != parsed.noBackup;
    if (parsed.start ? !chosen : (parsed.backup || parsed.noBackup)) {
        UsageError(io, parsed.start ? "firmware --start needs either --backup FILE or --no-backup"
                                    : "--backup and --no-backup go with firmware --start");
        return std::nullopt;
    }
    return parsed;
}

}  // namespace

int CheckFirmwareCommand(DeviceOptions& options, Streams io) {
    const auto parsed = ParseFirmwareOptions(options, io);
    if (!parsed)
        return kExitUsage;
    return parsed->backup ? RequireEachDeviceFile(options, *parsed->backup, io) : kExitDone;
}

int RunFirmwareCommand(const DeviceOptions& options, Streams io) {
    const auto parsed = ParseFirmwareOptions(options, io);
    if (!parsed)
        return kExitUsage;
    DeviceSession session(options, io);
    if (const int status = session.Open(&UserLevel::MayAdministrate); status != kExitDone)
        return status;
    DeviceConnection& connection = session.connection();

    const FirmwareFile file = CheckFirmwareFile(connection);
    if (file == FirmwareFile::NoAnswer)
        return session.Failed("the device did not answer the firmware check");
    if (!parsed->start) {
        io.out << (file == FirmwareFile::Present ? "present" : "absent") << '\n';
        return file == FirmwareFile::Present ? kExitDone : kExitAnswerNo;
    }
    if (file != FirmwareFile::Present) {
        io.err << "vyrctl: " << options.port << ": no firmware file " << kFirmwarePath
               << " on the device; nothing started\n";
        return kExitAnswerNo;
    }
    if (parsed->backup) {
        std::string path;
        if (const int status = session.TargetFile(*parsed->backup, path); status != kExitDone)
            return status;
        BarProgress bar(io);
        const BackupResult backup = BackupSettings(connection, path, bar);
        bar.EndLine();
        // A backup holding defaults for values the device lacks may be an empty device's:
        // the update would destroy the settings it failed to save.
        if (const int status = session.ReportBackup(backup, path); status != kExitDone) {
            io.err << "vyrctl: " << options.port << ": no complete backup; update not started\n";
            return status;
        }
    }
    if (!StartFirmwareUpdate(connection))
        return session.Failed("the update could not be started");
    io.err << "vyrctl: " << options.port
           << ": firmware update started; the device shuts down when it is done\n";
    Disconnect(connection);
    return kExitDone;
}

}  // namespace vyr::cli
