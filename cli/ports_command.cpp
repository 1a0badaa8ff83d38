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
    // "PATH\tSTABLE" where the port has a stable name (or, on Windows, "COM5\tUSB Serial
    // Device (COM5)" where the system describes the device), "PATH" alone otherwise.
    const serial_link::StableNames names = serial_link::FindStableNames();
    const serial_link::PortDescriptions descriptions = serial_link::FindPortDescriptions();
    for (const std::string& port : serial_link::ListSerialPorts()) {
        std::string note = serial_link::StableNameOf(names, port);
        if (const auto described = descriptions.find(port);
            note.empty() && described != descriptions.end())
            note = described->second;
        io.out << port << (note.empty() ? "" : "\t" + note) << '\n';
    }
    return kExitDone;
}

}  // namespace vyr::cli
