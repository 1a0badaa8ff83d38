// vyrctl ports
#include <ostream>
#include <string>

#include "cli/commands.h"
#include "link/port_names.h"
#include "link/serial_port.h"

namespace vyr::cli {

int RunPortsCommand(Arguments args, Streams io) {
    if (!args.empty()) {
        if (args[0] == "--help" || args[0] == "-h") {
            PrintUsage(io.out);
            return kExitDone;
        }
        return UsageError(io,
                          "ports takes no arguments; unexpected '" + std::string(args[0]) + "'");
    }
    // "PATH\tSTABLE" where the port has a stable name, "PATH" alone otherwise.
    const serial_link::StableNames names = serial_link::FindStableNames();
    for (const std::string& port : serial_link::ListSerialPorts()) {
        const std::string stable = serial_link::StableNameOf(names, port);
        io.out << port << (stable.empty() ? "" : "\t" + stable) << '\n';
    }
    return kExitDone;
}

}  // namespace vyr::cli
