// vyrctl device OPTIONS COMMAND ARGS...: the options every device command shares, the ports
// they name and the table of commands. The command's arguments are parsed into its plan
// before the password is asked for and before any port is opened; the plan then runs on
// every port.
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/device_command.h"
#include "cli/device_commands.h"
#include "cli/device_session.h"
#include "cli/firmware_command.h"
#include "cli/fleet.h"
#include "cli/service_commands.h"
#include "cli/user_commands.h"
#include "link/port_names.h"
#include "link/serial_port.h"

namespace vyr::cli {

namespace {

constexpr DeviceCommand kCommands[] = {
    PlannedCommand<InfoPlan, ParseInfo, RunInfo>("info"),
    PlannedCommand<LoadPlan, ParseLoad, RunLoad>("load"),
    PlannedCommand<SendPlan, ParseSend, RunSend>("send"),
    PlannedCommand<TimePlan, ParseTime, RunTime>("time"),
    PlannedCommand<UsersPlan, ParseUsers, RunUsers>("users"),
    PlannedCommand<FirmwarePlan, ParseFirmware, RunFirmware>("firmware"),
    PlannedCommand<MicPlan, ParseMic, RunMic>("mic"),
    PlannedCommand<SerialPlan, ParseSerial, RunSerial>("serial"),
    PlannedCommand<NotesPlan, ParseNotes, RunNotes>("notes"),
    PlannedCommand<ResultsPlan, ParseResults, RunResults>("results"),
};

const DeviceCommand* FindCommand(std::string_view name) {
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const DeviceCommand& each) { return each.name == name; });
    return found == std::end(kCommands) ? nullptr : found;
}

// The words of "vyrctl device ...", taken apart.
struct DeviceWords {
    DeviceOptions options;
    std::vector<std::string> named;  // the ports as --port names them, "all" not expanded
    Arguments command;               // the command's name and its arguments
};

// The options before the command; kExitDone, else the status of the usage error (told).
int ParseOptions(Arguments args, DeviceWords& words, Streams io) {
    DeviceOptions& options = words.options;
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
            words.named.push_back(port);
        }
    }
    if (words.named.empty())
        return UsageError(io, "device commands need --port PATH");
    if (i >= args.size())
        return UsageError(io,
                          "device needs a command: info, load, send, time, users, "
                          "firmware, mic, serial, notes or results");
    words.command = args.subspan(i);
    return kExitDone;
}

// The device file a port path leads to, so that two names of one port (a link under
// /dev/serial/by-id and its /dev/ttyACM0) count as one port.
std::string PortKey(const std::string& port) {
    return serial_link::DevicePath(port);
}

// The ports of --port into `ports`, "all" standing for every port found (a port named as
// well is not repeated); kExitDone, else the exit status of a usage error or of an "all" that
// finds none (told on stderr).
int ExpandPorts(const std::vector<std::string>& named, std::vector<std::string>& ports,
                Streams io) {
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
                return UsageError(io, first == port
                                          ? "port " + port + " is given twice"
                                          : "port " + port + " is " + first + " given again");
            }
            continue;
        }
        const std::vector<std::string> found = serial_link::ListSerialPorts();
        if (found.empty()) {
            io.err << "vyrctl: --port all: no serial ports found\n";
            return kExitPortFailed;
        }
        for (const std::string& each : found)
            add(each, true);
    }
    return kExitDone;
}

// The password, read once: the devices of a fleet never ask for it each.
int ReadPassword(DeviceOptions& options, Streams io) {
    const auto password = ReadSecret(
        {"password", options.passwordFile, "--password-file", "VYR_PASSWORD", "Password: "}, io);
    if (!password)
        return kExitUsage;
    options.password = *password;
    return kExitDone;
}

// Runs the command by its plan: on the one port here, else on every port at once.
int RunOnPorts(const DeviceCommand& command, const void* plan, DeviceOptions& options, Streams io) {
    const auto run = [&](const DeviceOptions& each, Streams eachIo) {
        DeviceSession session(each, eachIo);
        return command.run(plan, session);
    };
    if (options.ports.size() == 1 && !options.json) {
        options.port = options.ports.front();
        return run(options, io);
    }
    return RunOnEveryPort(options, run, io);
}

}  // namespace

int RunDeviceCommand(Arguments args, Streams io) {
    DeviceWords words;
    if (const int status = ParseOptions(args, words, io); status != kExitDone)
        return status;
    const DeviceCommand* command = FindCommand(words.command[0]);
    if (command == nullptr)
        return UsageError(io, "unknown device command '" + std::string(words.command[0]) + "'");
    DeviceOptions& options = words.options;
    if (const int status = ExpandPorts(words.named, options.ports, io); status != kExitDone)
        return status;
    AnyPlan plan;
    const CommandInput input{words.command.subspan(1), options.ports.size()};
    if (const int status = command->parse(input, plan, io); status != kExitDone)
        return status;
    if (const int status = ReadPassword(options, io); status != kExitDone)
        return status;
    return RunOnPorts(*command, plan.get(), options, io);
}

}  // namespace vyr::cli
