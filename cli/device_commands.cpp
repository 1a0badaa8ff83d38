// vyrctl device OPTIONS info | load FILE | send FILE [--preset N] [--active N] [--base OLD]
// [--verify] | time [--set WHEN]
// (users and firmware: user_commands.cpp, firmware_command.cpp; microphone, serial number,
// notes and results: service_commands.cpp)
//
// Each command connects (open, loopback synchronisation), logs in, checks that the user's
// level allows the command as the window's menus would, does its work and closes the port.
#include <algorithm>
#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <sstream>
#include <vector>

#include "cli/admin_commands.h"
#include "cli/commands.h"
#include "cli/device_session.h"
#include "cli/device_text.h"
#include "cli/fleet.h"
#include "cli/service_commands.h"
#include "device/clock.h"
#include "device/connection.h"
#include "device/device_info.h"
#include "device/settings_backup.h"
#include "device/transfer.h"
#include "link/port_names.h"
#include "link/serial_port.h"
#include "settings/text.h"

namespace vyr::cli {

namespace {

int Info(const DeviceOptions& options, Streams io) {
    if (!options.args.empty())
        return UsageError(io, "info takes no arguments");
    DeviceSession session(options, io);
    if (const int status = session.Open(&UserLevel::LoggedIn); status != kExitDone)
        return status;
    DeviceInformation info;
    info.Tick(session.connection());
    if (session.connection().link.Vanished())
        return session.Failed("the device stopped answering");
    io.out << info.ClipboardText(TerminalText) << '\n';
    // What got no answer was printed as "undefined" or zeros: not the device's values.
    if (!info.Unanswered().empty()) {
        std::string names;
        for (const std::string& path : info.Unanswered())
            names += (names.empty() ? "" : ", ") + path;
        return session.Failed("no answer for " + names);
    }
    return kExitDone;
}

// "load FILE [--force]": the file, and whether a backup that lacks values may replace it.
std::optional<std::pair<std::string_view, bool>> ParseLoad(const DeviceOptions& options,
                                                           Streams io) {
    const auto& args = options.args;
    if (args.empty() || args.size() > 2 || args[0].starts_with("--")) {
        UsageError(io, "load needs one FILE");
        return std::nullopt;
    }
    if (args.size() == 2 && args[1] != "--force") {
        UsageError(io, "unknown argument '" + std::string(args[1]) + "' of load");
        return std::nullopt;
    }
    return std::pair{args[0], args.size() == 2};
}

int CheckLoad(DeviceOptions& options, Streams io) {
    const auto parsed = ParseLoad(options, io);
    if (!parsed)
        return kExitUsage;
    return RequireEachDeviceFile(options, parsed->first, io);
}

int Load(const DeviceOptions& options, Streams io) {
    const auto parsed = ParseLoad(options, io);
    if (!parsed)
        return kExitUsage;
    DeviceSession session(options, io);
    if (const int status = session.Open(&UserLevel::MayTransferSettings); status != kExitDone)
        return status;
    std::string path;
    if (const int status = session.TargetFile(parsed->first, path); status != kExitDone)
        return status;
    BarProgress bar(io);
    const BackupResult backup = BackupSettings(session.connection(), path, bar, parsed->second);
    bar.EndLine();
    return session.ReportBackup(backup, path);
}

// The options of send after the file.
struct SendOptions {
    std::optional<int> preset;
    std::optional<int> active;
    std::optional<std::string> base;
    bool verify = false;
};

std::optional<SendOptions> ParseSendOptions(const DeviceOptions& options, Streams io) {
    SendOptions send;
    for (std::size_t i = 1; i < options.args.size(); ++i) {
        const std::string_view option = options.args[i];
        if (option == "--verify") {
            send.verify = true;
            continue;
        }
        const bool hasValue = i + 1 < options.args.size();
        if (option == "--base") {
            if (!hasValue) {
                UsageError(io, "--base needs a settings FILE");
                return std::nullopt;
            }
            send.base = std::string(options.args[++i]);
            continue;
        }
        if (option != "--preset" && option != "--active") {
            UsageError(io, "unknown option '" + std::string(option) + "' of send");
            return std::nullopt;
        }
        const auto value =
            hasValue ? ParseWholeInteger(options.args[++i]) : std::optional<std::int32_t>();
        if (!value || *value < 0 || *value >= kPresetCount) {
            UsageError(io, std::string(option) + " needs a number 0..9");
            return std::nullopt;
        }
        (option == "--preset" ? send.preset : send.active) = *value;
    }
    return send;
}

std::string MismatchText(const ReadBackMismatch& mismatch) {
    std::string text = mismatch.key + " of " +
                       (mismatch.preset == 0 ? std::string("DEFAULT")
                                             : "PRESET " + std::to_string(mismatch.preset)) +
                       " was sent as '" + OneLineValue(mismatch.sent) + "' but ";
    return text + (mismatch.readBack ? "reads back as '" + OneLineValue(*mismatch.readBack) + "'"
                                     : std::string("gives no value when read back"));
}

int Send(const DeviceOptions& options, Streams io) {
    if (options.args.empty())
        return UsageError(io, "send needs a FILE");
    const std::string path(options.args[0]);
    const auto send = ParseSendOptions(options, io);
    if (!send)
        return kExitUsage;

    SettingsModel model;
    if (const int status = LoadSettingsFile(model, path, io); status != kExitDone)
        return status;
    SettingsModel base;
    if (send->base) {
        if (const int status = LoadSettingsFile(base, *send->base, io); status != kExitDone)
            return status;
    }

    DeviceSession session(options, io);
    if (const int opened = session.Open(&UserLevel::MayTransferSettings); opened != kExitDone)
        return opened;
    DeviceConnection& connection = session.connection();
    if (send->preset == 0 && !connection.level.MayWriteDefaultPreset()) {
        io.err << "vyrctl: user " << options.user << " may not send the DEFAULT preset\n";
        return kExitLoginRefused;
    }
    const int active = send->active ? *send->active : ReadActivePreset(connection);
    BarProgress bar(io);
    const SendScope scope{.preset = send->preset,
                          .base = send->base ? &base.store : nullptr,
                          .verify = send->verify};
    const SendResult sent = SendToDevice(connection, model.store, scope, active, bar);
    bar.EndLine();
    if (sent.mismatch)
        return session.Failed(MismatchText(*sent.mismatch));
    if (sent.status != TransferStatus::Done) {
        return session.Failed(std::string(kTransferError.text) + " " +
                                      std::to_string(sent.confirmed) + " of " +
                                      std::to_string(sent.total) + " values reached the device.");
    }
    return kExitDone;
}

int Time(const DeviceOptions& options, Streams io) {
    std::optional<DateTime> when;
    if (options.args.size() == 2 && options.args[0] == "--set") {
        when = options.args[1] == "now" ? std::optional(LocalNow()) : ParseIsoTime(options.args[1]);
        if (!when)
            return UsageError(io, "--set needs 'now' or YYYY-MM-DDThh:mm:ss");
    } else if (!options.args.empty()) {
        return UsageError(io, "time takes only --set now|YYYY-MM-DDThh:mm:ss");
    }
    DeviceSession session(options, io);
    const LevelRule rule = when ? &UserLevel::MayTransferSettings : &UserLevel::LoggedIn;
    if (const int status = session.Open(rule); status != kExitDone)
        return status;
    const auto print = [&]() {
        const auto text = ReadDeviceTime(session.connection());
        const auto time = text ? ParseDeviceTime(*text) : std::nullopt;
        if (!time) {
            io.err << "vyrctl: " << options.port << ": cannot read the device time"
                   << (text ? " (it answered '" + TerminalText(*text) + "')" : std::string())
                   << '\n';
            return false;
        }
        io.out << FormatIsoTime(*time) << '\n';
        return true;
    };
    if (!print())
        return kExitCommunication;
    if (!when)
        return kExitDone;
    if (!SetDeviceClock(session.connection(), *when))
        return session.Failed("the device did not answer the clock setting");
    return print() ? kExitDone : kExitCommunication;
}

}  // namespace

namespace {

// The device file a port path leads to, so that two names of one port (a link under
// /dev/serial/by-id and its /dev/ttyACM0) count as one port.
std::string PortKey(const std::string& port) {
    return serial_link::DevicePath(port);
}

// The ports of --port, "all" standing for every port found (a port named as well is not
// repeated); nothing after a usage error or when "all" finds none (told on stderr, its exit
// status in `status`).
std::optional<std::vector<std::string>> ExpandPorts(const std::vector<std::string>& named,
                                                    Streams io, int& status) {
    std::vector<std::string> ports;
    std::map<std::string, std::string> seen;  // key -> the port as named
    std::set<std::string> fromAll;
    const auto add = [&](const std::string& port, bool listed) {
        const auto [it, added] = seen.emplace(PortKey(port), port);
        if (added) {
            ports.push_back(port);
            if (listed)
                fromAll.insert(it->first);
            return true;
        }
        return listed || fromAll.contains(it->first);
    };
    for (const std::string& port : named) {
        if (port != "all") {
            if (!add(port, false)) {
                const std::string& first = seen[PortKey(port)];
                status = UsageError(io, first == port ? "port " + port + " is given twice"
                                                      : "port " + port + " is " + first +
                                                            " given again");
                return std::nullopt;
            }
            continue;
        }
        const std::vector<std::string> found = serial_link::ListSerialPorts();
        if (found.empty()) {
            io.err << "vyrctl: --port all: no serial ports found\n";
            status = kExitPortFailed;
            return std::nullopt;
        }
        for (const std::string& each : found)
            add(each, true);
    }
    return ports;
}

// Runs `command` up to where it would open a port: its arguments (and a FILE it reads) are
// checked once, before the password is asked for and before any device is touched. What it
// would say is kept back unless something is wrong, so that nothing is said twice.
int CheckArguments(const DeviceCommand& command, const DeviceOptions& options, Streams io) {
    DeviceOptions check = options;
    check.checkOnly = true;
    check.port = options.ports.front();
    std::ostringstream out, err;
    const int status = command.run(check, {out, err});
    if (status == kArgumentsChecked || status == kExitDone)
        return kExitDone;
    io.out << out.str();
    io.err << err.str();
    return status;
}

}  // namespace

int RunDeviceCommand(Arguments args, Streams io) {
    DeviceOptions options;
    std::vector<std::string> named;
    std::size_t i = 0;
    for (; i < args.size() && args[i].starts_with("--"); ++i) {
        const std::string_view option = args[i];
        if (option == "--verbose" || option == "--json") {
            (option == "--json" ? options.json : options.verbose) = true;
            continue;
        }
        std::string port;
        std::string* target = option == "--port"            ? &port
                              : option == "--user"          ? &options.user
                              : option == "--password-file" ? &options.passwordFile
                                                            : nullptr;
        if (target == nullptr)
            return UsageError(io, "unknown device option '" + std::string(option) + "'");
        // An option's value never starts with "--": "--port --password-file pw" lacks the port.
        if (i + 1 >= args.size() || args[i + 1].starts_with("--"))
            return UsageError(io, std::string(option) + " needs a value");
        *target = std::string(args[++i]);
        if (target == &port) {
            if (port.empty())
                return UsageError(io, "--port needs a PATH or 'all'");
            named.push_back(port);
        }
    }
    if (named.empty())
        return UsageError(io, "device commands need --port PATH");
    if (i >= args.size())
        return UsageError(io, "device needs a command: info, load, send, time, users, "
                              "firmware, mic, serial, notes or results");
    static constexpr DeviceCommand kCommands[] = {
        {"info", Info},
        {"load", Load, CheckLoad},
        {"send", Send},
        {"time", Time},
        {"users", RunUsersCommand, CheckUsersCommand},
        {"firmware", RunFirmwareCommand, CheckFirmwareCommand},
        {"mic", RunMicCommand},
        {"serial", RunSerialCommand},
        {"notes", RunNotesCommand},
        {"results", RunResultsCommand},
    };
    options.command = args[i];
    options.args.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
    const auto command =
        std::find_if(std::begin(kCommands), std::end(kCommands),
                     [&](const DeviceCommand& each) { return each.name == options.command; });
    if (command == std::end(kCommands))
        return UsageError(io, "unknown device command '" + options.command + "'");

    int status = kExitDone;
    const auto ports = ExpandPorts(named, io, status);
    if (!ports)
        return status;
    options.ports = *ports;
    if (command->prepare != nullptr) {
        if (const int prepared = command->prepare(options, io); prepared != kExitDone)
            return prepared;
    }
    if (const int checked = CheckArguments(*command, options, io); checked != kExitDone)
        return checked;
    // Read once here: the devices of a fleet never ask for it each.
    const auto password = ReadSecret(
        {"password", options.passwordFile, "--password-file", "VYR_PASSWORD", "Password: "}, io);
    if (!password)
        return kExitUsage;
    options.password = *password;
    if (options.ports.size() == 1 && !options.json) {
        options.port = options.ports.front();
        return command->run(options, io);
    }
    return RunOnEveryPort(options, command->run, io);
}

}  // namespace vyr::cli
