// vyrctl: shared pieces of the command implementations.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "settings/model.h"
#include "settings/settings_file.h"

namespace vyr {
class Progress;
}

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
    kExitAnswerNo = 9,
    kExitLacking = 10,  // complete, but the device lacks values (their defaults were written)
};

struct Streams {
    std::ostream& out;  // data asked for
    std::ostream& err;  // messages
    // Where long operations report their progress when several devices share the terminal
    // (or --json asks for events); a bar on a terminal's stderr when none.
    Progress* progress = nullptr;
};

using Arguments = std::span<const std::string_view>;

// "vyrctl ports"
int RunPortsCommand(Arguments args, Streams io);

// "vyrctl file check|dump|defaults FILE", "vyrctl file diff FILE1 FILE2"
int RunFileCommand(Arguments args, Streams io);

// "vyrctl device OPTIONS info|load|send|time ..."
int RunDeviceCommand(Arguments args, Streams io);

// The full usage, for "vyrctl --help" (on stdout).
void PrintUsage(std::ostream& out);

// A usage error: names what is wrong in one line on stderr, "vyrctl: " + `reason` (for
// example "unknown command 'lod'" or "file check needs a FILE"), then a one-line hint to the
// full usage. Returns kExitUsage, so a command can end with `return UsageError(io, ...)`.
inline int UsageError(Streams io, std::string_view reason) {
    io.err << "vyrctl: " << reason << "\nrun 'vyrctl --help' for the usage\n";
    return kExitUsage;
}

// The exit status for the outcome of a settings-file operation: 0 done, 4 the file cannot
// be opened or written, 5 invalid format, 6 corrupted (checksum).
inline int ExitStatusFor(SettingsFileStatus status) {
    switch (status) {
        case SettingsFileStatus::Ok:
            return kExitDone;
        case SettingsFileStatus::CannotWrite:
        case SettingsFileStatus::CannotOpen:
            return kExitFileAccess;
        case SettingsFileStatus::InvalidFormat:
            return kExitFileFormat;
        case SettingsFileStatus::Corrupted:
            return kExitFileCorrupted;
    }
    return kExitFileAccess;
}

// Loads the settings file `path` into `model`, its repair report on stderr; on failure the
// reason on stderr and the exit status (kExitDone when loaded).
int LoadSettingsFile(SettingsModel& model, const std::string& path, Streams io);

// A stored value as one line of UTF-8: a line feed is written as \n and a backslash as \\,
// any other control character as "_" (TerminalText).
std::string OneLineValue(std::string_view latin1);

// Reports a failed settings-file operation on stderr, naming the file and the system's
// reason, and returns its exit status (0 and nothing printed for success).
int ReportFileFailure(SettingsFileStatus status, std::string_view path, std::string_view reason,
                      Streams io);

}  // namespace vyr::cli
