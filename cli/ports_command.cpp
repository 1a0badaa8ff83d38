// vyrctl ports
#include <ostream>
#include <string>

#include "cli/commands.h"
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
    for (const std::string& port : serial_link::ListSerialPorts())
        io.out << port << '\n';
    return kExitDone;
}

}  // namespace vyr::cli
