// vyrctl device OPTIONS info | load FILE | send FILE [--preset N] [--active N] [--base OLD]
// [--verify] | time [--set WHEN]
// (the options and the table of commands: device_command_line.cpp; users and firmware:
// user_commands.cpp, firmware_command.cpp; microphone, serial number, notes and results:
// service_commands.cpp)
//
// Each command connects (open, loopback synchronisation), logs in, checks that the user's
// level allows the command as the window's menus would, does its work and closes the port.
#include "cli/device_commands.h"

#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>

#include "cli/device_text.h"
#include "device/connection.h"
#include "device/device_info.h"
#include "device/settings_backup.h"
#include "device/transfer.h"
#include "settings/catalogue.h"
#include "settings/text.h"

namespace vyr::cli {

namespace {

// The options of send after the file.
int ParseSendOptions(Arguments args, SendPlan& plan, Streams io) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string_view option = args[i];
        if (option == "--verify") {
            plan.verify = true;
            continue;
        }
        const bool hasValue = i + 1 < args.size();
        if (option == "--base") {
            if (!hasValue)
                return UsageError(io, "--base needs a settings FILE");
            plan.basePath = std::string(args[++i]);
            continue;
        }
        if (option != "--preset" && option != "--active")
            return UsageError(io, "unknown option '" + std::string(option) + "' of send");
        const auto value = hasValue ? ParseWholeInteger(args[++i]) : std::optional<std::int32_t>();
        if (!value || *value < 0 || *value >= kPresetCount)
            return UsageError(io, std::string(option) + " needs a number 0..9");
        (option == "--preset" ? plan.preset : plan.active) = *value;
    }
    return kExitDone;
}

// Loads FILE and OLD. Their repair reports belong to each device's run and are kept in the
// plan; a file that fails is told after the report of the one loaded before it.
int LoadSendFiles(const std::string& path, SendPlan& plan, Streams io) {
    std::ostringstream report;
    const Streams kept{io.out, report};
    int status = LoadSettingsFile(plan.model, path, kept);
    if (status == kExitDone && plan.basePath)
        status = LoadSettingsFile(plan.base, *plan.basePath, kept);
    plan.report = report.str();
    if (status != kExitDone)
        io.err << plan.report;
    return status;
}

std::string MismatchText(const ReadBackMismatch& mismatch) {
    std::string text = mismatch.key + " of " + std::string(PresetName(mismatch.preset)) +
                       " was sent as '" + OneLineValue(mismatch.sent) + "' but ";
    return text + (mismatch.readBack ? "reads back as '" + OneLineValue(*mismatch.readBack) + "'"
                                     : std::string("gives no value when read back"));
}

// Prints the device's time; false after telling on stderr that it cannot be read.
bool PrintDeviceTime(DeviceSession& session) {
    const auto text = ReadDeviceTime(session.connection());
    const auto time = text ? ParseDeviceTime(*text) : std::nullopt;
    if (!time) {
        session.io().err << "vyrctl: " << session.port() << ": cannot read the device time"
                         << (text ? " (it answered '" + TerminalText(*text) + "')" : std::string())
                         << '\n';
        return false;
    }
    session.io().out << FormatIsoTime(*time) << '\n';
    return true;
}

}  // namespace

int ParseInfo(const CommandInput& input, InfoPlan&, Streams io) {
    return input.args.empty() ? kExitDone : UsageError(io, "info takes no arguments");
}

int RunInfo(const InfoPlan&, DeviceSession& session) {
    if (const int status = session.Open(&UserLevel::LoggedIn); status != kExitDone)
        return status;
    DeviceInformation info;
    info.Tick(session.connection());
    if (session.connection().link.Vanished())
        return session.Failed("the device stopped answering");
    session.io().out << info.ClipboardText(TerminalText) << '\n';
    // What got no answer was printed as "undefined" or zeros: not the device's values.
    if (!info.Unanswered().empty()) {
        std::string names;
        for (const std::string& path : info.Unanswered())
            names += (names.empty() ? "" : ", ") + path;
        return session.Failed("no answer for " + names);
    }
    return kExitDone;
}

int ParseLoad(const CommandInput& input, LoadPlan& plan, Streams io) {
    const Arguments args = input.args;
    if (args.empty() || args.size() > 2 || args[0].starts_with("--"))
        return UsageError(io, "load needs one FILE");
    if (args.size() == 2 && args[1] != "--force")
        return UsageError(io, "unknown argument '" + std::string(args[1]) + "' of load");
    plan.file = args[0];
    plan.force = args.size() == 2;
    return RequireEachDeviceFile(input.ports, plan.file, io);
}

int RunLoad(const LoadPlan& plan, DeviceSession& session) {
    if (const int status = session.Open(&UserLevel::MayTransferSettings); status != kExitDone)
        return status;
    std::string path;
    if (const int status = session.TargetFile(plan.file, path); status != kExitDone)
        return status;
    BarProgress bar(session.io());
    const BackupResult backup = BackupSettings(session.connection(), path, bar, plan.force);
    bar.EndLine();
    return session.ReportBackup(backup, path);
}

int ParseSend(const CommandInput& input, SendPlan& plan, Streams io) {
    if (input.args.empty())
        return UsageError(io, "send needs a FILE");
    if (const int status = ParseSendOptions(input.args, plan, io); status != kExitDone)
        return status;
    return LoadSendFiles(std::string(input.args[0]), plan, io);
}

int RunSend(const SendPlan& plan, DeviceSession& session) {
    session.io().err << plan.report;
    if (const int opened = session.Open(&UserLevel::MayTransferSettings); opened != kExitDone)
        return opened;
    DeviceConnection& connection = session.connection();
    if (plan.preset == 0 && !connection.level.MayWriteDefaultPreset()) {
        session.io().err << "vyrctl: user " << session.user()
                         << " may not send the DEFAULT preset\n";
        return kExitLoginRefused;
    }
    const int active = plan.active ? *plan.active : ReadActivePreset(connection);
    BarProgress bar(session.io());
    const SendScope scope{.preset = plan.preset,
                          .base = plan.basePath ? &plan.base.store : nullptr,
                          .verify = plan.verify};
    const SendResult sent = SendToDevice(connection, plan.model.store, scope, active, bar);
    bar.EndLine();
    if (sent.mismatch)
        return session.Failed(MismatchText(*sent.mismatch));
    if (sent.status != TransferStatus::Done) {
        return session.Failed(std::string(kTransferError.text) + " " +
                              std::to_string(sent.confirmed) + " of " + std::to_string(sent.total) +
                              " values reached the device.");
    }
    return kExitDone;
}

int ParseTime(const CommandInput& input, TimePlan& plan, Streams io) {
    const Arguments args = input.args;
    if (args.size() == 2 && args[0] == "--set") {
        plan.set = true;
        if (args[1] == "now")
            return kExitDone;
        plan.when = ParseIsoTime(args[1]);
        return plan.when ? kExitDone : UsageError(io, "--set needs 'now' or YYYY-MM-DDThh:mm:ss");
    }
    return args.empty() ? kExitDone
                        : UsageError(io, "time takes only --set now|YYYY-MM-DDThh:mm:ss");
}

int RunTime(const TimePlan& plan, DeviceSession& session) {
    const std::optional<DateTime> when = !plan.set   ? std::nullopt
                                         : plan.when ? plan.when
                                                     : std::optional(LocalNow());
    const LevelRule rule = when ? &UserLevel::MayTransferSettings : &UserLevel::LoggedIn;
    if (const int status = session.Open(rule); status != kExitDone)
        return status;
    if (!PrintDeviceTime(session))
        return kExitCommunication;
    if (!when)
        return kExitDone;
    if (!SetDeviceClock(session.connection(), *when))
        return session.Failed("the device did not answer the clock setting");
    return PrintDeviceTime(session) ? kExitDone : kExitCommunication;
}

}  // namespace vyr::cli
