// vyrctl ports
#include <ostream>

#include "cli/commands.h"
#include "link/serial_port.h"

namespace vyr::cli {

int RunPortsCommand(Arguments args, Streams io) {
    if (!args.empty()) {
        PrintUsage(io.err);
        return kExitUsage;
    }
    for (const std::string& port : serial_link::ListSerialPorts())
        io.out << port << '\n';
    return kExitDone;
}

}  // namespace vyr::cli
