// vyrctl: shared pieces of the command implementations.
#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace vyr::cli {

// Exit statuses; scripts rely on these numbers.
enum ExitStatus : int {
    kExitDone = 0,
    kExitUsage = 1,
    kExitPortFailed = 2,
    kExitNoSync = 3,
    kExitFileAccess = 4,
    kExitFileFormat = 5,
    kExitFileCorrupted = 6,
    kExitLoginRefused = 7,
    kExitCommunication = 8,
};

struct Streams {
    std::ostream& out;  // data asked for
    std::ostream& err;  // messages
};

using Arguments = std::span<const std::string_view>;

// "vyrctl ports"
int RunPortsCommand(Arguments args, Streams io);

// "vyrctl file check|dump|defaults FILE"
int RunFileCommand(Arguments args, Streams io);

// "vyrctl device OPTIONS info|load|send|time ..."
int RunDeviceCommand(Arguments args, Streams io);

void PrintUsage(std::ostream& out);

}  // namespace vyr::cli
